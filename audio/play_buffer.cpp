#include "audio/play_buffer.h"

#include <algorithm>

namespace wd {

void PlayBuffer::allocate(int bytes) {
    std::vector<int16_t> fresh(static_cast<size_t>(std::max(bytes, 0)) / sizeof(int16_t), 0);
    memory_.swap(fresh);
    header_ = WAVEHDR{};
}

void PlayBuffer::clear() { std::fill(memory_.begin(), memory_.end(), int16_t{0}); }

WAVEHDR& PlayBuffer::prepareHeader() {
    header_.lpData = reinterpret_cast<LPSTR>(memory_.data());
    header_.dwBufferLength = static_cast<DWORD>(capacity());
    header_.dwFlags = 0;
    header_.dwUser = reinterpret_cast<DWORD_PTR>(this);
    return header_;
}

}  // namespace wd
