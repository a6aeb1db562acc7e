// A stream's configuration in a profile: IWMStreamConfig with its IWMMediaProps.
#pragma once

#include "platform/wmrt/wm_types.h"

namespace wd::wm {

/** A stream's media type and bit rate (bits per second). A plain value. */
class WmStreamConfig {
public:
    explicit WmStreamConfig(MajorType streamType) { type_.majorType = streamType; }
    WmStreamConfig(const MediaType& type, DWORD bitrate) : type_(type), bitrate_(bitrate) {}

    MajorType GetStreamType() const { return type_.majorType; }
    DWORD GetBitrate() const { return bitrate_; }
    void SetBitrate(DWORD bitrate) { bitrate_ = bitrate; }

    /** IWMMediaProps. */
    HRESULT GetMediaType(MediaType* type) const {
        if (!type) return E_INVALIDARG;
        *type = type_;
        return S_OK;
    }
    /** E_INVALIDARG for a media type of another major type than the stream's. */
    HRESULT SetMediaType(const MediaType& type) {
        if (type.majorType != type_.majorType) return E_INVALIDARG;
        type_ = type;
        return S_OK;
    }

private:
    MediaType type_;
    DWORD bitrate_ = 0;
};

}  // namespace wd::wm
