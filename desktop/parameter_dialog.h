// A modal GTK dialog asking for the numbers of one command (an effect's parameter block,
// the length of inserted silence): a spin button or a choice per parameter, with its range.
#pragma once

#include <gtk/gtk.h>

#include <optional>
#include <string>
#include <vector>

#include "parameters.h"

namespace desktop {

class ParameterDialog {
public:
    /** Shows the dialog over parent; the block when the user pressed OK. */
    static std::optional<ParameterBlock> ask(GtkWindow* parent, const std::string& title, const std::string& explanation,
                                             const std::vector<Parameter>& parameters);
};

}  // namespace desktop
