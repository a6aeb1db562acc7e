#include "platform/wmrt/wm_codec_info.h"

#include <iterator>

namespace wd::wm {
namespace {

struct Format {
    DWORD rate;
    WORD channels;
    DWORD kbps;
};

constexpr Format kFormats[] = {
    {48000, 2, 320}, {48000, 2, 256}, {48000, 2, 192}, {48000, 2, 160}, {48000, 2, 128}, {48000, 2, 96},
    {48000, 2, 64},  {48000, 1, 128}, {48000, 1, 96},  {48000, 1, 64},  {48000, 1, 48},

    {44100, 2, 320}, {44100, 2, 256}, {44100, 2, 192}, {44100, 2, 160}, {44100, 2, 128}, {44100, 2, 96},
    {44100, 2, 80},  {44100, 2, 64},  {44100, 2, 48},  {44100, 2, 40},  {44100, 2, 32},  {44100, 1, 128},
    {44100, 1, 96},  {44100, 1, 64},  {44100, 1, 48},  {44100, 1, 32},

    {32000, 2, 128}, {32000, 2, 96},  {32000, 2, 64},  {32000, 2, 48},  {32000, 2, 40},  {32000, 2, 32},
    {32000, 1, 64},  {32000, 1, 48},  {32000, 1, 32},

    {22050, 2, 64},  {22050, 2, 48},  {22050, 2, 32},  {22050, 2, 24},  {22050, 1, 48},  {22050, 1, 32},
    {22050, 1, 24},

    {16000, 2, 48},  {16000, 2, 32},  {16000, 2, 24},  {16000, 1, 32},  {16000, 1, 24},

    {11025, 2, 32},  {11025, 2, 24},  {11025, 1, 24},  {8000, 2, 24},   {8000, 1, 24},
};

constexpr DWORD kFormatCount = static_cast<DWORD>(std::size(kFormats));

// Samples per channel in one frame of the codec: it grows with the rate.
DWORD frameSize(DWORD rate) { return rate <= 16000 ? 512 : rate <= 22050 ? 1024 : 2048; }

}  // namespace

HRESULT WmCodecInfo::GetCodecInfoCount(MajorType type, DWORD* codecs) const {
    if (!codecs) return E_INVALIDARG;
    *codecs = type == MajorType::Audio ? 1 : 0;
    return S_OK;
}

HRESULT WmCodecInfo::GetCodecFormatCount(MajorType type, DWORD codec, DWORD* formats) const {
    if (!formats || type != MajorType::Audio || codec != 0) return E_INVALIDARG;
    *formats = kFormatCount;
    return S_OK;
}

HRESULT WmCodecInfo::GetCodecFormat(MajorType type, DWORD codec, DWORD format, std::unique_ptr<WmStreamConfig>* config) const {
    if (!config || type != MajorType::Audio || codec != 0 || format >= kFormatCount) return E_INVALIDARG;
    const Format& f = kFormats[format];
    MediaType media;
    media.majorType = MajorType::Audio;
    media.formatType = FormatType::WaveFormatEx;
    WaveFormat& w = media.wave;
    w.formatTag = WAVE_FORMAT_WMAUDIO2;
    w.channels = f.channels;
    w.samplesPerSec = f.rate;
    w.avgBytesPerSec = f.kbps * 1000 / 8;
    w.blockAlign = static_cast<WORD>(f.kbps * 1000 * frameSize(f.rate) / (f.rate * 8));
    w.bitsPerSample = 16;
    w.cbSize = 10;
    *config = std::make_unique<WmStreamConfig>(media, f.kbps * 1000);
    return S_OK;
}

}  // namespace wd::wm
