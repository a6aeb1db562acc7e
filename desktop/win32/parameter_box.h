// A modal dialog, built in code, asking for the numbers of one command (an effect's
// parameter block, the length of inserted silence): an edit field with its range, or a
// list of choices, per parameter; OK checks every value against its range.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "parameters.h"

namespace desktop {

class ParameterBox {
public:
    /** The control id of parameter i's field (an edit or a drop-down list). */
    static constexpr int kFirstField = 200;

    /** Shows the dialog over owner; the block when the user pressed OK. */
    static std::optional<ParameterBlock> ask(HWND owner, const std::string& title, const std::string& explanation,
                                             const std::vector<Parameter>& parameters);
};

}  // namespace desktop
