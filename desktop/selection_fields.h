// The selection's start, end and length in the status bar, in h:mm:ss.mmm. They show the
// library's selection times; a time typed into one of them (Enter) moves the selection:
// a new start keeps the length, a new end or length keeps the start.
#pragma once

#include <gtk/gtk.h>

#include <array>
#include <functional>
#include <string>

namespace desktop {

class SelectionFields {
public:
    /** refused: a sentence for the user when a typed time cannot be taken. */
    explicit SelectionFields(std::function<void(const std::string&)> refused);
    SelectionFields(const SelectionFields&) = delete;
    SelectionFields& operator=(const SelectionFields&) = delete;

    GtkWidget* widget() const { return box_; }
    /** The library's time texts of the start, end and length; empty ones: no track. A
     * field is rewritten only when its time changed, so a refresh keeps what is typed. */
    void show(const std::array<std::string, 3>& texts);

private:
    enum Field { Start, End, Length };
    void typed(Field field);
    void restore();

    GtkWidget* box_ = nullptr;
    std::array<GtkWidget*, 3> entries_{};
    std::array<std::string, 3> texts_;
    std::function<void(const std::string&)> refused_;
};

}  // namespace desktop
