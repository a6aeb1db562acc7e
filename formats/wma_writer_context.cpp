#include "formats/wma_writer_context.h"

#include <cstdlib>
#include <cstring>

#include "platform/wmrt/wm_profile_manager.h"

namespace wd {

using namespace wm;

WmaWriterContext::WmaWriterContext(WmWriter& writer, int sampleRate, int channels) : writer_(writer) {
    format_.formatTag = WAVE_FORMAT_PCM;
    format_.channels = static_cast<WORD>(channels);
    format_.samplesPerSec = static_cast<DWORD>(sampleRate);
    format_.blockAlign = static_cast<WORD>(2 * channels);
    format_.avgBytesPerSec = format_.blockAlign * format_.samplesPerSec;
    format_.bitsPerSample = 16;
    format_.cbSize = 18;
}

HRESULT WmaWriterContext::addAudioStream(WmProfile& profile, DWORD targetBitsPerSecond) const {
    const WmProfileManager manager;
    const WmCodecInfo& codecs = manager.codecInfo();
    DWORD codecCount = 0;
    if (HRESULT hr = codecs.GetCodecInfoCount(MajorType::Audio, &codecCount); failed(hr)) return hr;
    for (DWORD codec = 0; codec < codecCount; ++codec) {
        DWORD formatCount = 0;
        if (HRESULT hr = codecs.GetCodecFormatCount(MajorType::Audio, codec, &formatCount); failed(hr)) return hr;
        for (DWORD index = 0; index < formatCount; ++index) {
            std::unique_ptr<WmStreamConfig> config;
            MediaType type;
            if (HRESULT hr = codecs.GetCodecFormat(MajorType::Audio, codec, index, &config); failed(hr)) return hr;
            if (HRESULT hr = config->GetMediaType(&type); failed(hr)) return hr;
            if (type.formatType != FormatType::WaveFormatEx) return E_FAIL;
            const WaveFormat& w = type.wave;
            const long long difference = static_cast<long long>(config->GetBitrate()) - targetBitsPerSecond;
            if (w.samplesPerSec != format_.samplesPerSec || w.channels != format_.channels || w.bitsPerSample < 16 ||
                std::llabs(difference) >= 1000) {
                continue;
            }
            std::unique_ptr<WmStreamConfig> stream;
            if (HRESULT hr = profile.CreateNewStream(type.majorType, &stream); failed(hr)) return hr;
            if (HRESULT hr = stream->SetMediaType(type); failed(hr)) return hr;
            stream->SetBitrate(config->GetBitrate());
            return profile.AddStream(*stream);
        }
    }
    return NS_E_NO_MATCHING_FORMAT;
}

HRESULT WmaWriterContext::writeBlock(const void* data, DWORD size) {
    if (format_.avgBytesPerSec == 0) return E_UNEXPECTED;
    std::unique_ptr<WmBuffer> sample;
    if (HRESULT hr = writer_.AllocateSample(size, &sample); failed(hr)) return hr;
    BYTE* buffer = nullptr;
    DWORD length = 0;
    sample->GetBufferAndLength(&buffer, &length);
    std::memcpy(buffer, data, size);
    sample->SetLength(size);
    const QWORD time = bytesWritten_ * kUnitsPerSecond / format_.avgBytesPerSec;
    const HRESULT hr = writer_.WriteSample(input_, time, 0, sample.get());
    if (succeeded(hr)) bytesWritten_ += size;
    return hr;
}

}  // namespace wd
