// Makes profiles and tells the codecs: IWMProfileManager with its IWMCodecInfo.
#pragma once

#include <memory>

#include "platform/wmrt/wm_codec_info.h"
#include "platform/wmrt/wm_profile.h"

namespace wd::wm {

/** Any thread. */
class WmProfileManager {
public:
    /** An empty profile of format version 4, 7, 8 or 9 (0x00040000 to 0x00090000);
     * E_INVALIDARG for another. */
    HRESULT CreateEmptyProfile(DWORD version, std::unique_ptr<WmProfile>* profile) const {
        if (!profile) return E_INVALIDARG;
        if (version != 0x00040000 && version != 0x00070000 && version != 0x00080000 && version != WMT_VER_9_0) {
            return E_INVALIDARG;
        }
        *profile = std::make_unique<WmProfile>(version);
        return S_OK;
    }
    /** The codec information. */
    const WmCodecInfo& codecInfo() const { return codecInfo_; }

private:
    WmCodecInfo codecInfo_;
};

}  // namespace wd::wm
