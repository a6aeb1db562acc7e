// Types, result codes and status numbers of the Windows Media runtime stand-in.
#pragma once

#include <cstdint>

#include "wavedeck_types.h"

namespace wd::wm {

using HRESULT = int32_t;
using QWORD = uint64_t;

constexpr bool succeeded(HRESULT hr) { return hr >= 0; }
constexpr bool failed(HRESULT hr) { return hr < 0; }
constexpr HRESULT resultOf(uint32_t code) { return static_cast<HRESULT>(code); }

#ifdef _WIN32
// <windows.h> makes these macros; here they name the stand-in's own constants (wm::S_OK).
#undef S_OK
#undef E_NOTIMPL
#undef E_NOINTERFACE
#undef E_FAIL
#undef E_UNEXPECTED
#undef E_OUTOFMEMORY
#undef E_INVALIDARG
#undef WAVE_FORMAT_PCM
#endif

// The COM results the runtime and its callers exchange.
constexpr HRESULT S_OK = 0;
constexpr HRESULT E_NOTIMPL = resultOf(0x80004001u);
constexpr HRESULT E_NOINTERFACE = resultOf(0x80004002u);
constexpr HRESULT E_FAIL = resultOf(0x80004005u);
constexpr HRESULT E_UNEXPECTED = resultOf(0x8000FFFFu);
constexpr HRESULT E_OUTOFMEMORY = resultOf(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = resultOf(0x80070057u);
// Windows Media results.
constexpr HRESULT ASF_E_NOTFOUND = resultOf(0xC00D07F0u);
constexpr HRESULT NS_E_FILE_OPEN_FAILED = resultOf(0xC00D001Du);
constexpr HRESULT NS_E_FILE_WRITE = resultOf(0xC00D0021u);
constexpr HRESULT NS_E_INVALID_DATA = resultOf(0xC00D002Fu);
constexpr HRESULT NS_E_INVALID_REQUEST = resultOf(0xC00D002Bu);
constexpr HRESULT NS_E_NO_MATCHING_FORMAT = resultOf(0xC00D0BC2u);
constexpr HRESULT NS_E_PROTECTED_CONTENT = resultOf(0xC00D0BBDu);
constexpr HRESULT NS_E_UNSUPPORTED_PROPERTY = resultOf(0xC00D0BBCu);
constexpr HRESULT NS_E_OPERATION_CANCELED = resultOf(0xC00D0FF8u);

/** Status numbers passed to WmReaderCallback::OnStatus. */
enum WmtStatus : int {
    WMT_ERROR = 0,
    WMT_OPENED = 1,
    WMT_END_OF_FILE = 4,
    WMT_MISSING_CODEC = 10,
    WMT_STARTED = 11,
    WMT_STOPPED = 12,
    WMT_CLOSED = 13,
};

/** The types of attribute values (only the ones the stand-in reports). */
enum WmtAttrDataType : int { WMT_TYPE_DWORD = 0, WMT_TYPE_STRING = 1, WMT_TYPE_QWORD = 4 };

/** Major types and format types of a media type (the GUIDs of the runtime). */
enum class MajorType : int { Unknown, Audio, Video };
enum class FormatType : int { None, WaveFormatEx, VideoInfo };

/** WAVEFORMATEX. */
struct WaveFormat {
    WORD formatTag = 0;
    WORD channels = 0;
    DWORD samplesPerSec = 0;
    DWORD avgBytesPerSec = 0;
    WORD blockAlign = 0;
    WORD bitsPerSample = 0;
    WORD cbSize = 0;
};

constexpr WORD WAVE_FORMAT_PCM = 1;
/** Windows Media Audio standard (version 2 bit stream). */
constexpr WORD WAVE_FORMAT_WMAUDIO2 = 0x0161;

/** WM_MEDIA_TYPE reduced to what audio needs: the wave format when formatType says so. */
struct MediaType {
    MajorType majorType = MajorType::Unknown;
    FormatType formatType = FormatType::None;
    WaveFormat wave;
};

/** Samples per second of media time in the runtime's 100-ns units. */
constexpr QWORD kUnitsPerSecond = 10'000'000;

}  // namespace wd::wm
