// A buffer of media data: the runtime's INSSBuffer.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "platform/wmrt/wm_types.h"

namespace wd::wm {

/**
 * Bytes with a fixed capacity and a length. The reader hands samples to its callback in
 * these (valid during the call only); the writer hands them out for its caller to fill.
 * One thread at a time.
 */
class WmBuffer {
public:
    explicit WmBuffer(DWORD maxLength) : bytes_(maxLength) {}
    /** A full buffer holding bytes. */
    explicit WmBuffer(std::vector<BYTE> bytes) : bytes_(std::move(bytes)), length_(static_cast<DWORD>(bytes_.size())) {}

    /** The data and its length in bytes. */
    HRESULT GetBufferAndLength(BYTE** buffer, DWORD* length) {
        if (!buffer || !length) return E_INVALIDARG;
        *buffer = bytes_.data();
        *length = length_;
        return S_OK;
    }
    DWORD GetMaxLength() const { return static_cast<DWORD>(bytes_.size()); }
    /** E_INVALIDARG beyond the capacity. */
    HRESULT SetLength(DWORD length) {
        if (length > bytes_.size()) return E_INVALIDARG;
        length_ = length;
        return S_OK;
    }
    const BYTE* data() const { return bytes_.data(); }
    BYTE* data() { return bytes_.data(); }
    DWORD length() const { return length_; }

private:
    std::vector<BYTE> bytes_;
    DWORD length_ = 0;
};

}  // namespace wd::wm
