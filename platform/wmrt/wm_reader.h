// The reader of the Windows Media runtime stand-in: IWMReader with its IWMHeaderInfo and
// IWMReaderAdvanced parts.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "platform/wmrt/asf_source.h"
#include "platform/wmrt/wm_reader_callback.h"
#include "platform/wmrt/wm_types.h"

namespace wd::wm {

/** An output's properties (IWMOutputMediaProps). */
class WmOutputMediaProps {
public:
    explicit WmOutputMediaProps(const MediaType& type) : type_(type) {}
    MajorType GetType() const { return type_.majorType; }
    HRESULT GetMediaType(MediaType* type) const {
        if (!type) return E_INVALIDARG;
        *type = type_;
        return S_OK;
    }

private:
    MediaType type_;
};

/**
 * Reads an ASF file on a runtime thread of its own and hands the decoded audio to a
 * WmReaderCallback, as the runtime does:
 *
 * - Open returns at once; the runtime thread opens the file and reports WMT_OPENED with
 *   the outcome. Outputs and attributes are known from then on.
 * - Start reports WMT_STARTED, then delivers samples (OnSample) in file order. Without a
 *   user-provided clock it delivers as fast as the callback takes them; with one
 *   (SetUserProvidedClock, usually called from the WMT_STARTED callback) it delivers the
 *   samples that start before the time given to DeliverTime, then calls OnTime with that
 *   time and waits for the next DeliverTime.
 * - The end of the file reports WMT_END_OF_FILE; a damaged file WMT_ERROR; an audio
 *   stream no decoder takes WMT_MISSING_CODEC. Delivery then stops.
 * - Stop reports WMT_STOPPED. Close stops everything and waits: once it has returned, no
 *   callback runs any more (the last one is WMT_CLOSED), so the caller may destroy the
 *   callback object.
 *
 * Open, Close and the destructor are called from any thread but a callback; Start, Stop,
 * SetUserProvidedClock and DeliverTime from any thread, callbacks included. The
 * remaining calls are answered from the opened file on any thread.
 */
class WmReader {
public:
    WmReader() = default;
    /** Closes. */
    ~WmReader();
    WmReader(const WmReader&) = delete;
    WmReader& operator=(const WmReader&) = delete;

    /** Starts opening the file (UTF-16 path). E_INVALIDARG for an empty path or no
     * callback, E_UNEXPECTED when a file is open (Close first). */
    HRESULT Open(const std::u16string& url, WmReaderCallback* callback, void* context);
    /** Closes the file; S_OK also when none is open. E_UNEXPECTED from a callback. */
    HRESULT Close();

    HRESULT GetOutputCount(DWORD* outputs) const;
    /** ASF_E_NOTFOUND for an output that does not exist. */
    HRESULT GetOutputProps(DWORD output, std::unique_ptr<WmOutputMediaProps>* props) const;

    /** Delivery from the start of the file to its end (start 0, duration 0) at normal
     * speed (rate 1.0): the stand-in offers no seeking, trimming or fast playback, and
     * refuses them with NS_E_INVALID_REQUEST. E_UNEXPECTED before the file is open. */
    HRESULT Start(QWORD start, QWORD duration, float rate, void* context);
    HRESULT Stop();

    /**
     * IWMHeaderInfo: "Duration" of stream 0, a QWORD in 100-ns units (the header's play
     * time less its preroll). value null asks for the length only. ASF_E_NOTFOUND when the
     * file states no duration or for any other attribute.
     */
    HRESULT GetAttributeByName(WORD* stream, const char16_t* name, WmtAttrDataType* type, BYTE* value,
                               WORD* length) const;

    /** IWMReaderAdvanced. */
    HRESULT SetUserProvidedClock(BOOL userClock);
    HRESULT DeliverTime(QWORD time);

private:
    enum class Command { Open, Start, Stop, Quit };

    void run(std::string path);
    /** Delivers one sample or reports the end; called without the lock held. */
    void deliverOne();
    void post(Command command);
    bool onRuntimeThread() const { return std::this_thread::get_id() == thread_.get_id(); }

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::thread thread_;
    std::deque<Command> commands_;
    bool runtime_ = false;  // the runtime thread runs (guarded by mutex_)
    WmReaderCallback* callback_ = nullptr;
    void* context_ = nullptr;
    std::atomic<bool> closing_{false};

    // Made by the runtime thread, which alone reads from it; other threads ask for its
    // outputs and attributes under mutex_.
    std::unique_ptr<AsfSource> source_;

    // Delivery state, guarded by mutex_.
    bool running_ = false;
    bool userClock_ = false;
    QWORD clock_ = 0;           // deliver samples that start before this time
    bool waitingForTime_ = false;
    std::optional<AsfSource::Chunk> held_;  // the first sample at or after clock_
};

}  // namespace wd::wm
