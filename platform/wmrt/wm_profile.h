// A description of the streams of a file to write: IWMProfile.
#pragma once

#include <memory>
#include <vector>

#include "platform/wmrt/wm_stream_config.h"
#include "platform/wmrt/wm_types.h"

namespace wd::wm {

/** Format version 9 (WMT_VER_9_0), the one the stand-in writes. */
constexpr DWORD WMT_VER_9_0 = 0x00090000;

/** The streams a writer will write, in order. A plain value. */
class WmProfile {
public:
    explicit WmProfile(DWORD version) : version_(version) {}

    DWORD GetVersion() const { return version_; }
    /** A new stream configuration of the major type, not yet part of the profile. */
    HRESULT CreateNewStream(MajorType streamType, std::unique_ptr<WmStreamConfig>* config) const {
        if (!config || streamType == MajorType::Unknown) return E_INVALIDARG;
        *config = std::make_unique<WmStreamConfig>(streamType);
        return S_OK;
    }
    /** Adds a copy of the configuration. */
    HRESULT AddStream(const WmStreamConfig& config) {
        streams_.push_back(config);
        return S_OK;
    }
    DWORD GetStreamCount() const { return static_cast<DWORD>(streams_.size()); }
    /** Null for an index beyond the streams. */
    const WmStreamConfig* GetStream(DWORD index) const { return index < streams_.size() ? &streams_[index] : nullptr; }

private:
    DWORD version_;
    std::vector<WmStreamConfig> streams_;
};

}  // namespace wd::wm
