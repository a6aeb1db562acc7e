// An uncompressed sound file that tracks read in place.
#pragma once

#include <sndfile.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "model/block_summary.h"
#include "platform/files/file_io.h"

namespace wd {

/**
 * One open descriptor of a sound file with random access, shared by every block that
 * refers to its frames and closed when the last of them goes: renaming, deleting or
 * replacing the file by renaming another over it changes nothing for them. Samples are
 * converted to float by libsndfile, as a copying read converts them.
 *
 * A file rewritten in place (its size or modification time differs from those at open)
 * is never read again: every later read that needs the file fails (frames read before
 * the change and still held are delivered: they are the file as it was opened).
 *
 * Threads: reads may come from any thread; they take turns.
 */
class SourceFile {
public:
    /** Opens libsndfile on a duplicate of fd (the caller keeps fd); info receives the
     * description. @returns null when libsndfile refuses the file or it has no random
     * access (a compressed or unseekable file). */
    static std::shared_ptr<SourceFile> open(int fd, SF_INFO* info);
    ~SourceFile();
    SourceFile(const SourceFile&) = delete;
    SourceFile& operator=(const SourceFile&) = delete;

    /** Whether libsndfile reads files of this description with random access at no cost
     * (uncompressed sample formats in WAV, AIFF, RF64 and W64). */
    static bool randomAccess(const SF_INFO& info);

    /** The path the file was opened by (as the opener says: kept for a later process,
     * which opens it again by name). */
    const std::string& path() const { return path_; }
    void setPath(std::string path) { path_ = std::move(path); }
    /** The size in bytes and modification time in nanoseconds the file had when opened. */
    int64_t openedSize() const { return identity_.size; }
    int64_t openedModifiedNs() const { return identity_.modifiedSeconds * 1000000000 + identity_.modifiedNanoseconds; }

    int channels() const { return info_.channels; }
    int64_t frames() const { return info_.frames; }

    /** Copies count samples of one channel from frame first into dst. @returns false when
     * the file changed since it was opened or cannot be read that far. */
    bool readChannel(int channel, int64_t first, int count, float* dst);

    /** Whether readRaw and decode can stand in for readChannel: the samples lie
     * contiguously at a known place in a coding decode() knows (checked against
     * libsndfile's reading of the first and last frame). */
    bool rawAccess() const { return dataOffset_ >= 0; }
    /** Bytes of one frame of all channels. */
    int frameBytes() const { return bytesPerSample_ * info_.channels; }
    /** Reads count frames from frame first as they are stored into raw (count x
     * frameBytes() bytes). @returns false when the file ends before. Any thread, at once. */
    bool readRaw(int64_t first, int64_t count, unsigned char* raw) const;
    /** Converts count frames of one channel read by readRaw into floats, exactly as
     * libsndfile converts them. */
    void decode(const unsigned char* raw, int64_t count, int channel, float* dst) const;

    /** Whether summariseStored can summarise this file: 16-bit samples of one or two
     * channels in this machine's byte order, with raw access. */
    bool summarisesStored() const { return rawAccess() && nativePcm16(); }
    /**
     * Summarises count frames (at most a block) from frame first into summaries[c] for each
     * channel c, without converting every sample (the conversion keeps the order of values,
     * so it can be applied to each run's minimum and maximum alone). The file is read in
     * pieces small enough to stay in the processor's cache until they are summarised,
     * through buffer (resized as needed). @returns false when the file ends before.
     */
    bool summariseStored(int64_t first, int count, BlockSummary* summaries, std::vector<unsigned char>& buffer) const;

    /** The file is unchanged since it was opened. */
    bool unchanged() const;

    /** Reads refused on the calling thread so far because their file had changed. */
    static uint32_t changedReadsOnThisThread();

    /**
     * A reader of its own over the shared descriptor (no descriptor of its own), for
     * threads that read the file at once. Use it while the SourceFile lives.
     */
    class Reader {
    public:
        /** Where libsndfile's position is, per reader. */
        struct Cursor {
            int fd;
            int64_t position;
        };

        explicit Reader(const SourceFile& file);
        ~Reader();
        Reader(const Reader&) = delete;
        Reader& operator=(const Reader&) = delete;
        /** Reads count interleaved frames from frame first. @returns the frames read
         * (fewer at the end of the data), or -1. */
        int64_t readFrames(int64_t first, int64_t count, float* dst);

    private:
        friend class SourceFile;
        Cursor cursor_;
        SNDFILE* handle_ = nullptr;
    };

private:
    SourceFile(int fd, const SF_INFO& info);
    // 16-bit samples of one or two channels in this machine's byte order: the coding the
    // vectorised sample loops take.
    bool nativePcm16() const;
    // Finds where the samples lie, from where libsndfile seeks to for frames 0 and 1.
    void findRawLayout();

    const int fd_;
    std::string path_;
    SF_INFO info_{};
    FileIdentity identity_;
    int64_t dataOffset_ = -1;  // -1: no raw access
    int bytesPerSample_ = 0;
    bool bigEndian_ = false;

    // Guards the reader and the frames it read last: the two channels of a stereo range
    // are usually asked for one after the other.
    std::mutex mutex_;
    std::unique_ptr<Reader> reader_;
    std::vector<float> frames_;         // as libsndfile read them, when no raw access
    std::vector<unsigned char> raw_;    // as stored, with raw access
    int64_t framesFirst_ = 0;
    int64_t framesCount_ = 0;
    bool changed_ = false;
};

}  // namespace wd
