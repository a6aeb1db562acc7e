// Where a track's selection and view times go.
#pragma once

namespace wd {

/** The six time texts, in the order the host registers their windows, and the cursor text
 * of the large time display. */
enum class TimeTextSlot : int { SelectionStart = 0, SelectionEnd, SelectionLength, ViewStart, ViewEnd, ViewLength, Cursor };

/**
 * Receives the time texts a Track reports, synchronously on the reporting thread (normally
 * the user-interface thread). The library installs one when it is attached; until then the
 * texts go nowhere.
 */
class TimeTextReceiver {
public:
    virtual ~TimeTextReceiver() = default;
    /** text: a zero-terminated time text, valid during the call. */
    virtual void receiveTimeText(TimeTextSlot slot, const char* text) = 0;

    /** Makes receiver (which must live until the process ends) the one the tracks use. */
    static void install(TimeTextReceiver* receiver);
    /** The installed receiver, or null. Any thread. */
    static TimeTextReceiver* installed();
};

}  // namespace wd
