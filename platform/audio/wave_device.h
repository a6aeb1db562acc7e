// What wave-out and wave-in handles share: the header queue, the requests of the
// caller's thread and the driver thread that runs the callbacks.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/audio/winmm.h"

namespace wd {

/**
 * The driver thread owns the stream: it moves sound between the stream and the queued
 * headers and handles every request (pause, start, reset, ...). A request from another
 * thread is queued, interrupts the stream, and waits until the driver thread has handled
 * it, done notifications included; a request made inside a callback is handled at once.
 * Callbacks of one device therefore never run at the same time.
 */
class WaveDevice {
public:
    /** openMessage, closeMessage, doneMessage: WOM_ or WIM_ numbers. */
    WaveDevice(void* handle, WAVECALLBACK callback, DWORD_PTR instance, WORD blockAlign, UINT openMessage,
               UINT closeMessage, UINT doneMessage);
    virtual ~WaveDevice();
    WaveDevice(const WaveDevice&) = delete;
    WaveDevice& operator=(const WaveDevice&) = delete;

    /** Starts the driver thread, which first sends the open message. */
    void start();
    MMRESULT prepare(WAVEHDR* header, UINT size);
    MMRESULT unprepare(WAVEHDR* header, UINT size);
    /** WAVERR_STILLPLAYING while headers are queued; MMSYSERR_ERROR from a callback.
     * Returns after the close message was sent and the driver thread ended. */
    MMRESULT close();
    /** Bytes per frame of the format the device was opened with. */
    WORD blockAlign() const { return blockAlign_; }

protected:
    enum class Request { Pause, Restart, Start, Stop, Reset, Close };

    /** Checks and queues a prepared header (flags: done cleared, in-queue set). */
    MMRESULT queueHeader(WAVEHDR* header, UINT size);
    /** Has the driver thread handle the request (see the class comment).
     * @returns what handle() answered. */
    MMRESULT request(Request request);
    /** Marks the headers done (in-queue cleared) and sends the done message for each,
     * in order, with the lock released around each callback. */
    void finish(const std::vector<WAVEHDR*>& headers, std::unique_lock<std::mutex>& lock);
    /** Finishes every queued header, the first with firstBytes recorded. */
    void finishAll(std::unique_lock<std::mutex>& lock, DWORD firstBytes);

    /** Handles a request other than Close, on the driver thread with the lock held.
     * @returns MMSYSERR_NOERROR, or why the stream refused. */
    virtual MMRESULT handle(Request request, std::unique_lock<std::mutex>& lock) = 0;
    /** One piece of work with the lock held (released around stream calls). False when
     * there is nothing to do until the next request or header. */
    virtual bool work(std::unique_lock<std::mutex>& lock) = 0;
    virtual void interruptStream() = 0;
    virtual void clearStreamInterrupt() = 0;

    bool onDriverThread() const { return std::this_thread::get_id() == driverId_; }

    std::mutex mutex_;
    std::condition_variable cv_;
    /** Queued headers, oldest first; the first one is being played or filled. */
    std::deque<WAVEHDR*> queue_;
    /** Bytes of the first queued header already played or filled. */
    DWORD progress_ = 0;
    /** The stream failed: every header came back and new ones are refused. */
    bool failed_ = false;

private:
    void run();
    void send(UINT message, WAVEHDR* header, std::unique_lock<std::mutex>& lock);

    void* handle_;
    WAVECALLBACK callback_;
    DWORD_PTR instance_;
    WORD blockAlign_;
    UINT openMessage_;
    UINT closeMessage_;
    UINT doneMessage_;
    std::thread thread_;
    std::thread::id driverId_;
    std::deque<Request> requests_;
    uint64_t requested_ = 0;
    uint64_t handled_ = 0;
    std::map<uint64_t, MMRESULT> refusals_;  // by ticket, until its requester takes it
    bool closing_ = false;
};

}  // namespace wd
