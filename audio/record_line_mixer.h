// The recording sources of the chosen wave-in device, the current one and its level.
#pragma once

#include <vector>

#include "audio/mixer_control.h"
#include "audio/rec_line.h"

namespace wd {

/**
 * The selector (a MUX, else a MIXER control) of the wave-in destination of the mixer
 * with the wave-in device's number, and one RecLine per selector item in its order.
 * One per process; user-interface thread.
 *
 * With an empty line list, the current-line reads give 0 and the writes fail; an index
 * at or beyond the count (also a current line left from a longer list) behaves the same.
 */
class RecordLineMixer final : public MixerControl {
public:
    static RecordLineMixer& instance();

    /** (Re)opens on the current wave-in device with the window as callback window and
     * rebuilds the line list; false (empty list, handle closed) without a selector. */
    bool open(HWND window);
    /** Opens without a callback window unless open() ran before. */
    void openIfNever();

    int count() const { return static_cast<int>(lines_.size()); }
    /** The line's name, or an empty text for an index out of range. */
    std::string name(int index) const;
    /** Reads the selector: the first selected item (0 when none or unreadable) becomes
     * and is the current line. */
    int readCurrentLine();
    /** Selects exactly the item; true on success, which makes it the current line. */
    bool setCurrentLine(int index);
    int currentMinimum() const;
    int currentMaximum() const;
    /** The current line's volume (one channel); 0 when it cannot be read. */
    int currentValue() const;
    bool setCurrentValue(int value) const;

private:
    RecordLineMixer() = default;
    const RecLine* currentLine() const;

    DWORD selectorId_ = 0;
    DWORD itemCount_ = 0;
    int current_ = 0;
    std::vector<RecLine> lines_;
    bool opened_ = false;
};

}  // namespace wd
