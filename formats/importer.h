// Base of every reader that opens a file into a new Track.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "formats/file_problem.h"

#include "wavedeck_win.h"

namespace wd {

/**
 * A reader runs on one worker thread started by Start and reports only by posted
 * messages: progress (1126) and its end (1128 or 1127) to the progress windows, and the
 * new Track (1424), a failure (1426) or a cancel (1425) to its final window, where the
 * user-interface thread takes the result over.
 *
 * Lifetime: the object must outlive its worker; destroying it cancels and waits first.
 * Start, Cancel and the destructor are called on the user-interface thread.
 */
class Importer {
public:
    virtual ~Importer() = default;
    Importer(const Importer&) = delete;
    Importer& operator=(const Importer&) = delete;

    /** Remembers path and starts reading on a worker. @returns false when the worker
     * cannot start (the failure messages are then posted). */
    virtual bool Start(const std::string& path) = 0;
    /** Asks the worker to stop and waits for it. */
    virtual void Cancel() = 0;
    /** Deletes an importer; null is ignored. */
    static void Destroy(Importer* importer);

    /** Adds a window to the progress windows unless it is not a window or is there already. */
    void AddProgressWindow(HWND window);
    /** Posts the message to every progress window, in the order they were added. */
    void NotifyProgressWindows(UINT message, WPARAM wParam, LPARAM lParam) const;
    /** As NotifyProgressWindows for each of lParams in turn, each window getting the
     * whole run at once (one wake-up of its thread per run). */
    void NotifyProgressRun(UINT message, WPARAM wParam, const std::vector<LPARAM>& lParams) const;
    /** The window that receives 1424, 1425 and 1426: batchWindow in batch mode, else the
     * library's main window (null when there is none: the messages then go nowhere). */
    HWND finalWindow() const;

    /** Why the last read failed (None while it runs, after success or a cancel). Any thread. */
    FileProblem failure() const { return static_cast<FileProblem>(failure_.load()); }
    /** Records why the read failed (before its failure messages are posted): `reason` for
     * a reason of the reader's own, unless the block files or the track's length explain it
     * better (readProblem). The reader's worker or its collaborators. */
    void setFailure(FileProblem reason, const Track* track = nullptr);

    bool batchMode = false;
    std::vector<HWND> progressWindows;
    HWND batchWindow = nullptr;

protected:
    Importer() = default;

    /** A read starts: no failure yet, and block-write failures counted from now. */
    void beginRead();

private:
    std::atomic<int> failure_{0};
    std::atomic<uint32_t> writeFailuresAtStart_{0};
};

}  // namespace wd
