// The writer of the Windows Media runtime stand-in: IWMWriter.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/wmrt/asf_encoder.h"
#include "platform/wmrt/wm_buffer.h"
#include "platform/wmrt/wm_profile.h"
#include "platform/wmrt/wm_types.h"

namespace wd::wm {

/**
 * Writes one file from a profile with one audio stream of the standard codec (a format
 * the codec information offers). Its input 0 takes 16-bit PCM at the stream's rate and
 * channel count, placed by each sample's time: a gap is filled with silence; a sample
 * that starts before the end of the previous one is refused.
 *
 * Order: SetProfile and SetOutputFilename, BeginWriting, samples, Flush, EndWriting.
 * Destroying the writer before EndWriting abandons the file (it stays incomplete; the
 * caller removes it). One thread at a time.
 */
class WmWriter {
public:
    /** E_INVALIDARG unless the profile holds exactly one audio stream of the standard
     * codec with 1 or 2 channels, 16 bits and a bit rate; E_UNEXPECTED while writing. */
    HRESULT SetProfile(const WmProfile& profile);
    /** E_UNEXPECTED while writing. */
    HRESULT SetOutputFilename(const std::u16string& filename);
    /** Creates the file. E_UNEXPECTED without profile or file name, or when already
     * writing; NS_E_FILE_WRITE or NS_E_NO_MATCHING_FORMAT from the encoder. */
    HRESULT BeginWriting();
    /** A buffer of size bytes for WriteSample. */
    HRESULT AllocateSample(DWORD size, std::unique_ptr<WmBuffer>* sample) const;
    /** time in 100-ns units. E_INVALIDARG for another input, a length that is not whole
     * frames, or an overlap; E_UNEXPECTED when not writing; NS_E_FILE_WRITE. */
    HRESULT WriteSample(DWORD input, QWORD time, DWORD flags, WmBuffer* sample);
    HRESULT Flush();
    /** Completes and closes the file. E_UNEXPECTED when not writing. */
    HRESULT EndWriting();

private:
    std::optional<WmStreamConfig> audio_;
    WaveFormat format_;
    std::string filename_;
    std::unique_ptr<AsfEncoder> encoder_;
};

}  // namespace wd::wm
