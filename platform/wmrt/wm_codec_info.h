// The codecs and formats the writer offers: IWMCodecInfo.
#pragma once

#include <memory>

#include "platform/wmrt/wm_stream_config.h"
#include "platform/wmrt/wm_types.h"

namespace wd::wm {

/**
 * One audio codec, Windows Media Audio standard (WAVE_FORMAT_WMAUDIO2), with a table of
 * formats: constant bit rates at 8,000 to 48,000 Hz, mono and stereo, 16 bits, each at
 * least 24 kbit/s (the encoder's floor). Within a rate and channel count the bit rates
 * fall. No video codecs. Any thread.
 */
class WmCodecInfo {
public:
    HRESULT GetCodecInfoCount(MajorType type, DWORD* codecs) const;
    HRESULT GetCodecFormatCount(MajorType type, DWORD codec, DWORD* formats) const;
    /** The format as a stream configuration: its media type (a wave format: tag, rate,
     * channels, 16 bits, bytes per second and per packet) and its bit rate.
     * E_INVALIDARG for a codec or format that does not exist. */
    HRESULT GetCodecFormat(MajorType type, DWORD codec, DWORD format, std::unique_ptr<WmStreamConfig>* config) const;
};

}  // namespace wd::wm
