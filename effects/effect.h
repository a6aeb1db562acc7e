// Base of the numbered effects that rewrite a track on a worker thread.
#pragma once

namespace wd {

/**
 * An effect runs on its own worker over a track. Its very last act is to post
 * MsgEffectFinished to the library's main window with the track (wParam) and itself
 * (lParam); the main window then deletes it on the user-interface thread and refreshes
 * the views, so an effect never touches a window or outlives its report.
 */
class Effect {
public:
    virtual ~Effect() = default;
    Effect(const Effect&) = delete;
    Effect& operator=(const Effect&) = delete;

protected:
    Effect() = default;
};

}  // namespace wd
