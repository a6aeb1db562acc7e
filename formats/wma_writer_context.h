// What the WMA writer's worker keeps about its writer: the PCM it feeds and the bytes fed.
#pragma once

#include "platform/wmrt/wm_profile.h"
#include "platform/wmrt/wm_types.h"
#include "platform/wmrt/wm_writer.h"

namespace wd {

/**
 * The writer with its input's PCM format (16-bit, the track's rate and the output's
 * channels) and the count of bytes written, from which each block's time is made. One
 * thread (the save worker).
 */
class WmaWriterContext {
public:
    WmaWriterContext(wm::WmWriter& writer, int sampleRate, int channels);

    const wm::WaveFormat& format() const { return format_; }
    wm::QWORD bytesWritten() const { return bytesWritten_; }

    /**
     * The codec search: adds to the profile an audio stream of the first codec format
     * (codecs in order, formats in order) with exactly this rate and channel count, at
     * least 16 bits and a bit rate within 999 bit/s of targetBitsPerSecond.
     * @returns S_OK; NS_E_NO_MATCHING_FORMAT when none fits; E_FAIL for a format that
     * is not a wave format.
     */
    wm::HRESULT addAudioStream(wm::WmProfile& profile, DWORD targetBitsPerSecond) const;

    /** Writes size bytes of PCM (whole frames) stamped with the time of the bytes
     * written so far, and counts them on success. */
    wm::HRESULT writeBlock(const void* data, DWORD size);

private:
    wm::WmWriter& writer_;
    wm::WaveFormat format_;
    DWORD input_ = 0;
    wm::QWORD bytesWritten_ = 0;
};

}  // namespace wd
