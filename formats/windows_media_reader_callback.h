// Receives the Windows Media reader's decoded audio and builds the new Track from it.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/wmrt/wm_reader.h"
#include "platform/wmrt/wm_reader_callback.h"
#include "wavedeck_win.h"

namespace wd {

class Importer;
class Track;

/**
 * Opens a file with its reader, then, on the reader's runtime thread, appends every
 * sample of the first audio output to a new Track and posts progress (1126: the expected
 * frames, the frames delivered) to the progress window. It asks for the file one second
 * of media time at a time through the user-provided clock.
 *
 * The end of the file finishes the Track and reports it: 1128 to the progress window,
 * then 1424 with the Track to the importer's final window. A file that ends before any
 * sample gives an empty Track. A reader error or a missing codec after some samples ends
 * the same way with what was delivered; before any sample, and when the Track's storage
 * fails, the import fails (1127 and 1426, no Track).
 *
 * Once the end or the failure is reported, a thread of the callback's own stops and closes
 * the reader (a callback may not close it), letting go of the file, its demuxer and the
 * runtime thread without waiting for the next open.
 *
 * open() runs on the user-interface thread; the callbacks on the runtime thread. Once
 * close() has returned no callback runs, and ended() and track() may be read.
 */
class WindowsMediaReaderCallback : public wm::WmReaderCallback {
public:
    explicit WindowsMediaReaderCallback(Importer& importer);
    ~WindowsMediaReaderCallback() override;

    /** Takes the reader that open() uses. */
    void setReader(std::unique_ptr<wm::WmReader> reader) { reader_ = std::move(reader); }
    wm::WmReader* reader() const { return reader_.get(); }
    /** The window for 1126 and 1128 (null: none). */
    void setProgressWindow(HWND window) { progressWindow_ = window; }

    /**
     * Opens the file, waits until the reader has opened it, finds the first audio output
     * and reads the expected length from the "Duration" attribute (100,000 frames when
     * the file has none). @returns S_OK, or the failure (the reader is closed then):
     * E_INVALIDARG for an empty path, E_UNEXPECTED without a reader or without an audio
     * output, or the reader's own.
     */
    wm::HRESULT open(const std::u16string& path);
    /** Stops and closes the reader; no callback runs after it returns. */
    void close();

    /** True once the import reported its end (1424 or 1426). */
    bool ended() const { return ended_; }
    /** Marks the import ended (cancelled or failed before it started). */
    void setEnded() { ended_ = true; }
    /** The Track made so far (null before the first sample). */
    Track* track() const { return track_; }
    void forgetTrack() { track_ = nullptr; }
    /** Frames the progress reports expect, and frames delivered. */
    uint32_t expectedFrames() const { return expectedFrames_; }
    uint32_t deliveredFrames() const { return delivered_; }

    wm::HRESULT OnStatus(wm::WmtStatus status, wm::HRESULT result, wm::WmtAttrDataType type, BYTE* value,
                         void* context) override;
    wm::HRESULT OnSample(DWORD output, wm::QWORD time, wm::QWORD duration, DWORD flags, wm::WmBuffer* sample,
                         void* context) override;
    wm::HRESULT OnTime(wm::QWORD time, void* context) override;

    static constexpr uint32_t kDefaultExpectedFrames = 100000;

private:
    wm::HRESULT findAudioOutput();
    wm::HRESULT readDuration();
    /** The reader ended on its own (status): finish and report the Track. */
    void finish(wm::WmtStatus status);
    /** Removes the Track, if any, and reports a failed import. */
    void fail();
    /** Starts the closing thread, unless close() came first. Runtime thread. */
    void releaseReader();
    /** A new Track named after the path, with the audio's channels and rate. */
    bool makeTrack();
    bool append(const float* left, const float* right, int count);

    Importer& importer_;
    std::unique_ptr<wm::WmReader> reader_;
    // The thread that closes the reader at the end; close() joins it before closing itself.
    std::mutex closeMutex_;
    std::thread closer_;
    bool closed_ = false;
    HWND progressWindow_ = nullptr;

    // The open step waits for WMT_OPENED.
    std::mutex openedMutex_;
    std::condition_variable openedChanged_;
    bool opened_ = false;
    wm::HRESULT openResult_ = wm::S_OK;

    std::u16string path_;
    std::string name_;  // the path as 8-bit text: the Track's name
    DWORD audioOutput_ = 0;
    int sampleRate_ = 0;
    int channels_ = 0;
    int bitsPerSample_ = 0;

    // Written by the runtime thread only (the open step before the reader starts).
    Track* track_ = nullptr;
    uint32_t expectedFrames_ = kDefaultExpectedFrames;
    uint32_t delivered_ = 0;
    wm::QWORD userClock_ = wm::kUnitsPerSecond;
    bool ended_ = false;
    std::vector<float> values_;
    std::vector<float> left_;
    std::vector<float> right_;
};

}  // namespace wd
