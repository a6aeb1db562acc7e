#include "formats/source_file.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <type_traits>

#include "model/block_file.h"
#include "platform/simd/sample_kernels.h"

namespace wd {
namespace {

// Frames summariseStored reads at once: 256 KiB of stereo, which stays in the processor's
// cache from the read to the summary.
constexpr int kSummaryPieceFrames = 65536;

// Samples (of all channels) read at once and kept for the next read: the player and the
// writers ask for a thousand or so per channel at a time, channel after channel, and each
// read of the file costs a seek and a system call. 2 MiB of floats at most, whatever the
// file's channel count.
constexpr int64_t kHeldSamples = 2 * 262144;
constexpr int64_t kReadAhead = 16384;

using Cursor = SourceFile::Reader::Cursor;

thread_local uint32_t changedReads = 0;

// libsndfile reads through these, with positioned reads on the shared descriptor, so any
// number of readers share it without sharing a file position.
sf_count_t fileLength(void* data) {
    return fileSize(static_cast<Cursor*>(data)->fd);
}

sf_count_t seekTo(sf_count_t offset, int whence, void* data) {
    auto* cursor = static_cast<Cursor*>(data);
    int64_t base = 0;
    if (whence == SEEK_CUR) base = cursor->position;
    if (whence == SEEK_END) base = fileLength(data);
    if (base < 0 || base + offset < 0) return -1;
    cursor->position = base + offset;
    return cursor->position;
}

sf_count_t readAt(void* dst, sf_count_t count, void* data) {
    auto* cursor = static_cast<Cursor*>(data);
    char* out = static_cast<char*>(dst);
    sf_count_t done = 0;
    while (done < count) {
        const long got = readFileAt(cursor->fd, out + done, static_cast<size_t>(count - done), cursor->position);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        done += got;
        cursor->position += got;
    }
    return done;
}

sf_count_t refuseWrite(const void*, sf_count_t, void*) {
    return 0;
}

sf_count_t tellAt(void* data) {
    return static_cast<Cursor*>(data)->position;
}

template <typename Word>
Word swapBytes(Word word) {
    if constexpr (sizeof(Word) == 2) return __builtin_bswap16(word);
    if constexpr (sizeof(Word) == 4) return __builtin_bswap32(word);
    return static_cast<Word>(__builtin_bswap64(word));
}

// One stored sample as libsndfile converts it to float: integers scaled by a power of two
// (exact, after the one rounding of a 32-bit integer to float), floats as they are,
// doubles rounded to float.
template <int Bytes, bool BigEndian, int Subformat>
float decodeOne(const unsigned char* p) {
    if constexpr (Bytes == 1) {
        if constexpr (Subformat == SF_FORMAT_PCM_U8)
            return static_cast<float>(static_cast<int>(p[0]) - 128) * (1.0f / 128.0f);
        return static_cast<float>(static_cast<signed char>(p[0])) * (1.0f / 128.0f);
    } else {
        uint64_t bits = 0;
        if constexpr (Bytes == 3) {
            for (int i = 0; i < Bytes; ++i)
                bits |= static_cast<uint64_t>(p[BigEndian ? i : Bytes - 1 - i]) << (8 * (Bytes - 1 - i));
        } else {
            using Word = std::conditional_t<Bytes == 2, uint16_t, std::conditional_t<Bytes == 4, uint32_t, uint64_t>>;
            Word word;
            std::memcpy(&word, p, sizeof word);
            if constexpr (BigEndian != (std::endian::native == std::endian::big)) word = swapBytes(word);
            bits = word;
        }
        if constexpr (Subformat == SF_FORMAT_FLOAT) {
            return std::bit_cast<float>(static_cast<uint32_t>(bits));
        } else if constexpr (Subformat == SF_FORMAT_DOUBLE) {
            return static_cast<float>(std::bit_cast<double>(bits));
        } else {
            // The sample in the top bits of a 32-bit integer, as libsndfile places it.
            const auto value = static_cast<int32_t>(static_cast<uint32_t>(bits << (32 - 8 * Bytes)));
            return static_cast<float>(value) * (1.0f / 2147483648.0f);
        }
    }
}

template <int Bytes, bool BigEndian, int Subformat>
void decodeRun(const unsigned char* raw, int64_t count, int stride, float* dst) {
    for (int64_t i = 0; i < count; ++i) dst[i] = decodeOne<Bytes, BigEndian, Subformat>(raw + i * stride);
}

template <bool BigEndian>
void decodeAny(int subformat, const unsigned char* raw, int64_t count, int stride, float* dst) {
    switch (subformat) {
        case SF_FORMAT_PCM_U8:
            decodeRun<1, BigEndian, SF_FORMAT_PCM_U8>(raw, count, stride, dst);
            break;
        case SF_FORMAT_PCM_S8:
            decodeRun<1, BigEndian, SF_FORMAT_PCM_S8>(raw, count, stride, dst);
            break;
        case SF_FORMAT_PCM_16:
            decodeRun<2, BigEndian, SF_FORMAT_PCM_16>(raw, count, stride, dst);
            break;
        case SF_FORMAT_PCM_24:
            decodeRun<3, BigEndian, SF_FORMAT_PCM_24>(raw, count, stride, dst);
            break;
        case SF_FORMAT_PCM_32:
            decodeRun<4, BigEndian, SF_FORMAT_PCM_32>(raw, count, stride, dst);
            break;
        case SF_FORMAT_FLOAT:
            decodeRun<4, BigEndian, SF_FORMAT_FLOAT>(raw, count, stride, dst);
            break;
        case SF_FORMAT_DOUBLE:
            decodeRun<8, BigEndian, SF_FORMAT_DOUBLE>(raw, count, stride, dst);
            break;
        default:
            break;
    }
}

int bytesOf(int subformat) {
    switch (subformat) {
        case SF_FORMAT_PCM_U8:
        case SF_FORMAT_PCM_S8:
            return 1;
        case SF_FORMAT_PCM_16:
            return 2;
        case SF_FORMAT_PCM_24:
            return 3;
        case SF_FORMAT_PCM_32:
        case SF_FORMAT_FLOAT:
            return 4;
        case SF_FORMAT_DOUBLE:
            return 8;
        default:
            return 0;
    }
}

SF_VIRTUAL_IO& virtualIo() {
    static SF_VIRTUAL_IO io{fileLength, seekTo, readAt, refuseWrite, tellAt};
    return io;
}

}  // namespace

SourceFile::Reader::Reader(const SourceFile& file) : cursor_{file.fd_, 0} {
    SF_INFO info{};
    handle_ = sf_open_virtual(&virtualIo(), SFM_READ, &info, &cursor_);
}

SourceFile::Reader::~Reader() {
    if (handle_) sf_close(handle_);
}

int64_t SourceFile::Reader::readFrames(int64_t first, int64_t count, float* dst) {
    if (!handle_ || sf_seek(handle_, first, SEEK_SET) != first) return -1;
    return sf_readf_float(handle_, dst, count);
}

std::shared_ptr<SourceFile> SourceFile::open(int fd, SF_INFO* info) {
    const int own = fd >= 0 ? duplicateFile(fd) : -1;
    if (own < 0) return nullptr;
    *info = {};
    std::shared_ptr<SourceFile> file(new SourceFile(own, *info));
    file->reader_ = std::make_unique<Reader>(*file);
    if (!file->reader_->handle_) return nullptr;
    sf_command(file->reader_->handle_, SFC_GET_CURRENT_SF_INFO, info, sizeof(SF_INFO));
    if (!randomAccess(*info)) return nullptr;
    file->info_ = *info;
    file->findRawLayout();
    if (!identifyFile(own, file->identity_)) return nullptr;
    return file;
}

SourceFile::SourceFile(int fd, const SF_INFO& info) : fd_(fd), info_(info) {}

SourceFile::~SourceFile() {
    reader_.reset();
    closeFile(fd_);
}

bool SourceFile::randomAccess(const SF_INFO& info) {
    switch (info.format & SF_FORMAT_TYPEMASK) {
        case SF_FORMAT_WAV:
        case SF_FORMAT_WAVEX:
        case SF_FORMAT_AIFF:
        case SF_FORMAT_RF64:
        case SF_FORMAT_W64:
            break;
        default:
            return false;
    }
    switch (info.format & SF_FORMAT_SUBMASK) {
        case SF_FORMAT_PCM_S8:
        case SF_FORMAT_PCM_U8:
        case SF_FORMAT_PCM_16:
        case SF_FORMAT_PCM_24:
        case SF_FORMAT_PCM_32:
        case SF_FORMAT_FLOAT:
        case SF_FORMAT_DOUBLE:
            return info.seekable != 0 && info.channels > 0;
        default:
            return false;
    }
}

void SourceFile::findRawLayout() {
    SNDFILE* h = reader_->handle_;
    const int bytes = bytesOf(info_.format & SF_FORMAT_SUBMASK);
    if (bytes == 0 || info_.frames < 1 || sf_seek(h, 0, SEEK_SET) != 0) return;
    const int64_t offset = reader_->cursor_.position;
    bool swapped = sf_command(h, SFC_RAW_DATA_NEEDS_ENDSWAP, nullptr, 0) == SF_TRUE;
    bigEndian_ = (std::endian::native == std::endian::big) != swapped;
    bytesPerSample_ = bytes;
    const int64_t last = info_.frames - 1;
    if (sf_seek(h, last, SEEK_SET) != last || reader_->cursor_.position != offset + last * frameBytes()) return;
    // The first and the last frame must decode as libsndfile reads them.
    std::vector<unsigned char> raw(static_cast<size_t>(frameBytes()));
    std::vector<float> theirs(static_cast<size_t>(info_.channels)), ours(1);
    dataOffset_ = offset;
    for (const int64_t frame : {int64_t{0}, last}) {
        const bool same = readRaw(frame, 1, raw.data()) && reader_->readFrames(frame, 1, theirs.data()) == 1;
        for (int c = 0; c < info_.channels && same; ++c) {
            decode(raw.data(), 1, c, ours.data());
            if (std::memcmp(ours.data(), &theirs[static_cast<size_t>(c)], sizeof(float)) != 0) dataOffset_ = -1;
        }
        if (!same) dataOffset_ = -1;
    }
}

bool SourceFile::readRaw(int64_t first, int64_t count, unsigned char* raw) const {
    if (dataOffset_ < 0) return false;
    Reader::Cursor cursor{fd_, dataOffset_ + first * frameBytes()};
    const sf_count_t want = count * frameBytes();
    return readAt(raw, want, &cursor) == want;
}

bool SourceFile::nativePcm16() const {
    return (info_.format & SF_FORMAT_SUBMASK) == SF_FORMAT_PCM_16 && bigEndian_ == (std::endian::native == std::endian::big) &&
           info_.channels <= 2;
}

void SourceFile::decode(const unsigned char* raw, int64_t count, int channel, float* dst) const {
    if (nativePcm16()) {
        pcm16ToFloat(raw, count, info_.channels, channel, dst);
        return;
    }
    const unsigned char* from = raw + channel * bytesPerSample_;
    if (bigEndian_) {
        decodeAny<true>(info_.format & SF_FORMAT_SUBMASK, from, count, frameBytes(), dst);
    } else {
        decodeAny<false>(info_.format & SF_FORMAT_SUBMASK, from, count, frameBytes(), dst);
    }
}

bool SourceFile::summariseStored(int64_t first, int count, BlockSummary* summaries, std::vector<unsigned char>& buffer) const {
    constexpr int kRun = BlockFile::kSummary256Samples;
    const int channels = info_.channels;
    // Each run's minimum and maximum per channel, run by run: 16 KiB for a stereo block.
    std::vector<int16_t> runs(static_cast<size_t>((count + kRun - 1) / kRun) * static_cast<size_t>(channels) * 2);
    buffer.resize(static_cast<size_t>(kSummaryPieceFrames) * static_cast<size_t>(frameBytes()));
    for (int at = 0; at < count; at += kSummaryPieceFrames) {
        const int n = std::min(kSummaryPieceFrames, count - at);
        if (!readRaw(first + at, n, buffer.data())) return false;
        for (int r = 0; r < n; r += kRun) {
            const int frames = std::min(kRun, n - r);
            int16_t* entry = runs.data() + static_cast<size_t>((at + r) / kRun) * static_cast<size_t>(channels) * 2;
            for (int c = 0; c < channels; ++c) {
                minMaxPcm16(buffer.data() + static_cast<size_t>(r) * static_cast<size_t>(frameBytes()), frames * channels, channels, c,
                            entry[c * 2], entry[c * 2 + 1]);
            }
        }
    }
    for (int c = 0; c < channels; ++c) {
        summaries[c].computeRuns(count, [&runs, channels, c](int from, int, float& lo, float& hi) {
            const int16_t* entry = runs.data() + static_cast<size_t>(from / kRun) * static_cast<size_t>(channels) * 2 + c * 2;
            lo = static_cast<float>(entry[0]) * (1.0f / 32768.0f);
            hi = static_cast<float>(entry[1]) * (1.0f / 32768.0f);
        });
    }
    return true;
}

uint32_t SourceFile::changedReadsOnThisThread() {
    return changedReads;
}

bool SourceFile::unchanged() const {
    FileIdentity now;
    return identifyFile(fd_, now) && now == identity_;
}

bool SourceFile::readChannel(int channel, int64_t first, int count, float* dst) {
    if (channel < 0 || channel >= info_.channels || first < 0 || count < 0 || first + count > info_.frames)
        return false;
    std::lock_guard lock(mutex_);
    const auto channels = static_cast<size_t>(info_.channels);
    const int64_t piece = std::max<int64_t>(1, kHeldSamples / info_.channels);
    for (int64_t at = first, end = first + count; at < end;) {
        if (at < framesFirst_ || at >= framesFirst_ + framesCount_) {
            // Checked before every read of the file (frames held from earlier reads are
            // the file's as it was opened). Once changed, never read again, even when its
            // time is set back.
            changed_ = changed_ || !unchanged();
            if (changed_) {
                ++changedReads;
                return false;
            }
            const int64_t want = std::min({piece, std::max(end - at, kReadAhead), info_.frames - at});
            int64_t got = -1;
            if (dataOffset_ >= 0) {
                // Stored samples in one read, decoded channel by channel as they are asked for.
                raw_.resize(static_cast<size_t>(want * frameBytes()));
                if (readRaw(at, want, raw_.data())) got = want;
            } else {
                frames_.resize(static_cast<size_t>(want) * channels);
                got = reader_->readFrames(at, want, frames_.data());
            }
            framesFirst_ = at;
            framesCount_ = std::max<int64_t>(got, 0);
            if (got <= 0) return false;
        }
        const int64_t n = std::min(end, framesFirst_ + framesCount_) - at;
        float* to = dst + (at - first);
        if (dataOffset_ >= 0) {
            decode(raw_.data() + (at - framesFirst_) * frameBytes(), n, channel, to);
        } else {
            const float* from =
                frames_.data() + static_cast<size_t>(at - framesFirst_) * channels + static_cast<size_t>(channel);
            for (int64_t i = 0; i < n; ++i) to[i] = from[static_cast<size_t>(i) * channels];
        }
        at += n;
    }
    return true;
}

}  // namespace wd
