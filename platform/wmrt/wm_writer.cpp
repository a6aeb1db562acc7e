#include "platform/wmrt/wm_writer.h"

#include "platform/wmrt/wm_text.h"

namespace wd::wm {

HRESULT WmWriter::SetProfile(const WmProfile& profile) {
    if (encoder_) return E_UNEXPECTED;
    const WmStreamConfig* stream = profile.GetStream(0);
    MediaType type;
    if (profile.GetStreamCount() != 1 || !stream || failed(stream->GetMediaType(&type))) return E_INVALIDARG;
    const WaveFormat& w = type.wave;
    if (type.majorType != MajorType::Audio || type.formatType != FormatType::WaveFormatEx ||
        w.formatTag != WAVE_FORMAT_WMAUDIO2 || w.channels < 1 || w.channels > 2 || w.bitsPerSample != 16 ||
        w.samplesPerSec == 0 || stream->GetBitrate() == 0) {
        return E_INVALIDARG;
    }
    audio_ = *stream;
    format_ = w;
    return S_OK;
}

HRESULT WmWriter::SetOutputFilename(const std::u16string& filename) {
    if (encoder_) return E_UNEXPECTED;
    filename_ = narrowText(filename);
    return S_OK;
}

HRESULT WmWriter::BeginWriting() {
    if (encoder_ || !audio_ || filename_.empty()) return E_UNEXPECTED;
    return AsfEncoder::create(filename_, static_cast<int>(format_.samplesPerSec), format_.channels,
                              static_cast<int>(audio_->GetBitrate()), encoder_);
}

HRESULT WmWriter::AllocateSample(DWORD size, std::unique_ptr<WmBuffer>* sample) const {
    if (!sample) return E_INVALIDARG;
    *sample = std::make_unique<WmBuffer>(size);
    return S_OK;
}

HRESULT WmWriter::WriteSample(DWORD input, QWORD time, DWORD, WmBuffer* sample) {
    if (!encoder_) return E_UNEXPECTED;
    const DWORD frameBytes = 2u * format_.channels;
    if (input != 0 || !sample || sample->length() % frameBytes != 0) return E_INVALIDARG;
    // Times are whole 100-ns units: rounding gives back the frame they were made from.
    const QWORD rate = format_.samplesPerSec;
    const auto position = static_cast<int64_t>((time * rate + kUnitsPerSecond / 2) / kUnitsPerSecond);
    if (position < encoder_->frames()) return E_INVALIDARG;
    if (position > encoder_->frames()) {
        if (HRESULT hr = encoder_->writeSilence(position - encoder_->frames()); failed(hr)) return hr;
    }
    return encoder_->write(reinterpret_cast<const int16_t*>(sample->data()), sample->length() / frameBytes);
}

HRESULT WmWriter::Flush() { return encoder_ ? encoder_->flush() : E_UNEXPECTED; }

HRESULT WmWriter::EndWriting() {
    if (!encoder_) return E_UNEXPECTED;
    const HRESULT hr = encoder_->finish();
    encoder_.reset();
    return hr;
}

}  // namespace wd::wm
