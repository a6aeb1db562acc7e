#include "formats/mpeg_stream_layout.h"

#include <cerrno>
#include <cstring>

#include "platform/files/file_io.h"

namespace wd {
namespace {

constexpr int kId3v2HeaderBytes = 10;
constexpr int kId3v1Bytes = 128;
constexpr int kApeFooterBytes = 32;
constexpr int kLyricsFooterBytes = 15;  // six size digits and "LYRICS200"

// Reads exactly length bytes at offset; false at the end of the file or on an error.
bool readAt(int fd, int64_t offset, unsigned char* data, size_t length) {
    while (length > 0) {
        const long got = readFileAt(fd, data, length, offset);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        data += got;
        length -= static_cast<size_t>(got);
        offset += got;
    }
    return true;
}

uint32_t bigEndian32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 | p[3];
}

uint32_t littleEndian32(const unsigned char* p) {
    return static_cast<uint32_t>(p[3]) << 24 | static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[0];
}

// Bytes of an ID3v2 tag starting at offset (header, body and footer), or 0 when none is there.
int64_t id3v2TagBytes(int fd, int64_t offset) {
    unsigned char h[kId3v2HeaderBytes];
    if (!readAt(fd, offset, h, sizeof h) || std::memcmp(h, "ID3", 3) != 0 || h[3] == 0xFF || h[4] == 0xFF) return 0;
    if ((h[6] | h[7] | h[8] | h[9]) & 0x80) return 0;  // sizes are 7 bits per byte
    const int64_t body = static_cast<int64_t>(h[6]) << 21 | h[7] << 14 | h[8] << 7 | h[9];
    const bool footer = h[3] >= 4 && (h[5] & 0x10);
    return kId3v2HeaderBytes + body + (footer ? kId3v2HeaderBytes : 0);
}

// Bytes of the tag that ends at end (ID3v1, APEv2 or Lyrics3v2), or 0 when none ends there.
int64_t trailingTagBytes(int fd, int64_t end) {
    unsigned char t[kApeFooterBytes];
    if (end >= kId3v1Bytes && readAt(fd, end - kId3v1Bytes, t, 3) && std::memcmp(t, "TAG", 3) == 0) return kId3v1Bytes;
    if (end >= kApeFooterBytes && readAt(fd, end - kApeFooterBytes, t, kApeFooterBytes) &&
        std::memcmp(t, "APETAGEX", 8) == 0) {
        // The size counts the items and the footer; a header, when flagged, comes on top.
        const int64_t size = littleEndian32(t + 12);
        const bool header = littleEndian32(t + 20) & 0x80000000u;
        return size + (header ? kApeFooterBytes : 0);
    }
    if (end >= kLyricsFooterBytes && readAt(fd, end - kLyricsFooterBytes, t, kLyricsFooterBytes) &&
        std::memcmp(t + 6, "LYRICS200", 9) == 0) {
        int64_t size = 0;
        for (int i = 0; i < 6; ++i) {
            if (t[i] < '0' || t[i] > '9') return 0;
            size = size * 10 + (t[i] - '0');
        }
        return size + kLyricsFooterBytes;
    }
    return 0;
}

// The layer III frame header at the start of h, as far as the info frame needs it.
struct LayerThreeHeader {
    bool valid = false;
    int frameBytes = 0;
    int sideInfoOffset = 0;  // where the Xing/Info tag would start
};

LayerThreeHeader parseLayerThree(const unsigned char* h) {
    static constexpr int kRates[4][3] = {{11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}};
    static constexpr int kMpeg1Kbps[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
    static constexpr int kMpeg2Kbps[16] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};
    LayerThreeHeader out;
    if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0) return out;
    const int version = h[1] >> 3 & 3;  // 0 MPEG-2.5, 2 MPEG-2, 3 MPEG-1
    const int layer = h[1] >> 1 & 3;    // 1 is layer III
    const int rateIndex = h[2] >> 2 & 3;
    const int bitrateIndex = h[2] >> 4;
    if (version == 1 || layer != 1 || rateIndex == 3 || bitrateIndex == 0 || bitrateIndex == 15) return out;
    const bool mpeg1 = version == 3;
    const bool mono = (h[3] >> 6) == 3;
    const int rate = kRates[version][rateIndex];
    const int kbps = (mpeg1 ? kMpeg1Kbps : kMpeg2Kbps)[bitrateIndex];
    out.frameBytes = (mpeg1 ? 144000 : 72000) * kbps / rate + (h[2] >> 1 & 1);
    const bool crc = (h[1] & 1) == 0;
    out.sideInfoOffset = 4 + (crc ? 2 : 0) + (mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17));
    out.valid = true;
    return out;
}

// Looks for an info frame at layout.audioStart; skips it and reads its LAME tag.
void readInfoFrame(int fd, MpegStreamLayout& layout) {
    constexpr int kVbriOffset = 36;
    unsigned char f[200] = {};
    if (layout.audioEnd - layout.audioStart < static_cast<int64_t>(sizeof f) ||
        !readAt(fd, layout.audioStart, f, sizeof f)) {
        return;
    }
    const LayerThreeHeader header = parseLayerThree(f);
    if (!header.valid || header.frameBytes > layout.audioEnd - layout.audioStart) return;
    const unsigned char* xing = f + header.sideInfoOffset;
    const bool isXing = std::memcmp(xing, "Xing", 4) == 0 || std::memcmp(xing, "Info", 4) == 0;
    if (!isXing && std::memcmp(f + kVbriOffset, "VBRI", 4) != 0) return;
    layout.audioStart += header.frameBytes;
    if (!isXing) return;

    const uint32_t flags = bigEndian32(xing + 4);
    const unsigned char* p = xing + 8;
    if (flags & 1) {
        layout.frameCount = bigEndian32(p);
        p += 4;
    }
    if (flags & 2) p += 4;    // byte count
    if (flags & 4) p += 100;  // seek table
    if (flags & 8) p += 4;    // quality
    // The LAME tag: a 9-byte encoder name, then at byte 21 twelve bits of delay and
    // twelve of padding.
    if (p + 24 > f + sizeof f) return;
    if (std::memcmp(p, "LAME", 4) != 0 && std::memcmp(p, "Lavf", 4) != 0 && std::memcmp(p, "Lavc", 4) != 0) return;
    layout.gapless = true;
    layout.encoderDelay = p[21] << 4 | p[22] >> 4;
    layout.encoderPadding = (p[22] & 0x0F) << 8 | p[23];
}

}  // namespace

MpegStreamLayout MpegStreamLayout::scan(int fd, int64_t fileSize) {
    MpegStreamLayout layout;
    layout.audioEnd = fileSize;
    // Several ID3v2 tags may follow one another (tools that add one without reading).
    for (int64_t tag; (tag = id3v2TagBytes(fd, layout.audioStart)) > 0 && layout.audioStart + tag <= fileSize;) {
        layout.audioStart += tag;
    }
    for (int64_t tag; (tag = trailingTagBytes(fd, layout.audioEnd)) > 0 && layout.audioEnd - tag >= layout.audioStart;) {
        layout.audioEnd -= tag;
    }
    readInfoFrame(fd, layout);
    return layout;
}

}  // namespace wd
