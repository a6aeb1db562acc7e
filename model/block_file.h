// One run of at most 262,144 float samples of one channel, shared by reference count.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace wd {

/**
 * The unit of audio storage. A block is made by the BlockFactory with one reference,
 * written once (its whole content in one write()) and never changed afterwards, so the
 * sequences, undo states and the clipboard that share it can read it from any thread.
 *
 * Sizes: byte counts for write() and readBytes(); summary entries (one entry = one
 * minimum/maximum pair of floats = 8 bytes) for the summary reads.
 *
 * Lifetime: every holder that keeps a pointer calls addRef(); every holder that lets go
 * calls release(). The count is atomic, so holders on different threads may do so at
 * once; the last release() destroys the block and deletes its file.
 */
class BlockFile {
public:
    /** Bytes of samples a block holds at most: 1 MiB. */
    static constexpr int kCapacityBytes = 0x100000;
    /** Samples a block holds at most: 262,144. */
    static constexpr int kMaxSamples = kCapacityBytes / static_cast<int>(sizeof(float));
    /** Samples summarised by one entry of the coarse and the fine summary level. */
    static constexpr int kSummary64kSamples = 65536;
    static constexpr int kSummary256Samples = 256;

    /** Source: the samples are read from a sound file the block only refers to. */
    enum class Kind : int { Disk = 0, Silent = 1, Source = 2 };

    /** Where a block that refers to a sound file takes its samples from: frames
     * [firstFrame, firstFrame + sampleCount()) of channel of the file at path, as the file
     * was when opened (its size in bytes and modification time in nanoseconds). */
    struct SourceOrigin {
        std::string path;
        int64_t size = 0;
        int64_t modifiedNs = 0;
        int channel = 0;
        int64_t firstFrame = 0;
    };

    virtual ~BlockFile();
    BlockFile(const BlockFile&) = delete;
    BlockFile& operator=(const BlockFile&) = delete;

    /** One more holder. Returns 0. Any thread. */
    int addRef();
    /** One holder less; the last one destroys the block (and deletes its file). Returns 0.
     * The caller must not touch the block afterwards. Any thread. */
    int release();
    int refCount() const { return refCount_.load(std::memory_order_acquire); }

    Kind kind() const { return kind_; }
    /** Always kCapacityBytes. */
    int capacity() const { return capacity_; }
    /** Bytes of samples stored (a multiple of 4). */
    int length() const { return length_; }
    int sampleCount() const { return length_ / static_cast<int>(sizeof(float)); }
    /** The block's file; empty for a silent block. */
    const std::string& path() const { return path_; }
    /** The factory's serial number, unique within the process. */
    uint32_t serial() const { return serial_; }

    /**
     * Stores byteCount bytes of samples (the block's whole content). 0 and nothing stored
     * when data is null (disk blocks), byteCount < 4 or the block is already full.
     * @returns the bytes stored, or -1 when they could not be stored (the block then
     *          holds nothing).
     */
    virtual int write(const float* data, int byteCount) = 0;
    /**
     * Copies up to byteCount bytes from byteOffset into dst. Reading at or past the end
     * is not an error: it delivers 0 bytes.
     * @returns the bytes delivered (fewer at the end), or -1 for a negative offset or
     *          count, or when the file could not be read.
     */
    virtual int readBytes(void* dst, int byteCount, int byteOffset) const = 0;
    /** Copies count minimum/maximum pairs of the 65,536-sample level from entry first.
     * @returns the pairs copied (fewer at the end), or -1 for a negative first entry. */
    virtual int readSummary64k(float* dst, int count, int firstEntry) const = 0;
    /** As readSummary64k, for the 256-sample level. */
    virtual int readSummary256(float* dst, int count, int firstEntry) const = 0;

    /** Block reads that failed on the calling thread so far. An operation that builds a
     * result from samples compares it before and after, so a block it could not read
     * fails the operation instead of leaving silence in the result. */
    static uint32_t readFailuresOnThisThread();

    /** Fills origin for a block whose samples stay in a sound file; false for the others. */
    virtual bool sourceOrigin(SourceOrigin& origin) const;

protected:
    BlockFile(Kind kind, uint32_t serial, std::string path);
    /** Counts a failed read on the calling thread; returns -1, the failed read's result. */
    static int noteReadFailure();

    const int capacity_ = kCapacityBytes;
    // Written only before the block is published to other holders (its one write()).
    int length_ = 0;
    std::string path_;

private:
    const Kind kind_;
    const uint32_t serial_;
    std::atomic<int> refCount_{1};
};

}  // namespace wd
