// The samples of one channel: an ordered list of shared blocks.
#pragma once

#include <cstdint>
#include <climits>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "model/block_file.h"

namespace wd {

/**
 * One channel's samples as an ordered list of BlockFiles, read by position or by display
 * column, grown at the end through a 1 MiB staging buffer, and edited by splices that
 * write new blocks and never change an existing one (so blocks shared with undo states
 * and the clipboard stay valid).
 *
 * Units: positions, counts and lengths are samples unless stated.
 *
 * Threads: one thread at a time changes a sequence (appends, splices, assignFrom into it).
 * Any other thread may read it meanwhile (length, readSamples, readColumns, blockInfo, or
 * copy it with assignFrom): the block list is guarded by a lock that the writer takes only
 * to publish a change.
 *
 * Ownership: the sequence owns one reference to every block in its list and to the
 * blocks of an open splice; it releases them when they leave the list or it is destroyed.
 */
class Sequence {
public:
    static constexpr int kMaxBlockBytes = BlockFile::kCapacityBytes;
    static constexpr int kMaxBlockSamples = BlockFile::kMaxSamples;
    static constexpr int kBytesPerSample = static_cast<int>(sizeof(float));

    /** What a block of the list is, for inspection. */
    struct BlockInfo {
        uint32_t serial;
        int sampleCount;
        BlockFile::Kind kind;
    };

    Sequence();
    /** Releases every block (and those of an open splice). */
    ~Sequence();
    Sequence(const Sequence&) = delete;
    Sequence& operator=(const Sequence&) = delete;

    /**
     * Makes this sequence hold the same blocks as other (each gets one more reference,
     * this sequence's former blocks one less), the same length and a copy of other's
     * staged appended samples: other as it stands committed. An open splice of either is
     * not copied (this one's is cancelled). other may be changed by another thread
     * meanwhile.
     * @returns false when other is null.
     */
    bool assignFrom(const Sequence* other);

    /** Samples in the blocks plus samples staged by appendSamples and not yet flushed. */
    int length() const;
    /** The block list, in order. */
    std::vector<BlockInfo> blockInfo() const;
    /** Calls visit for every block of the list, in order, while the list cannot change. */
    void visitBlocks(const std::function<void(const BlockFile&)>& visit) const;

    /**
     * Copies up to count samples from position start into dst. Only samples in blocks
     * are read (staged samples are not). Negative positions read nothing.
     * @returns the samples copied: fewer at the end, or when a block cannot be read.
     */
    int readSamples(float* dst, int start, int count) const;

    /**
     * The waveform view's read: the minimum and maximum of each of up to `columns`
     * columns of samplesPerColumn samples from start. With samplesPerColumn 1 the samples
     * themselves (mins and maxs equal); from 256 on the 256-sample summaries, from 65,536
     * on the 65,536-sample summaries, whose edges decide the column edges (a column may
     * then cover up to one summary unit more or less). mins[0] and maxs[0] are 0.0 when
     * nothing could be read.
     * @returns the columns filled, at most `columns`; 0 for a start outside the sequence
     *          or samplesPerColumn < 1.
     */
    int readColumns(float* mins, float* maxs, int columns, int start, int samplesPerColumn) const;

    /**
     * Appends count samples. They are staged and written one full 1 MiB block at a time;
     * the last samples stay staged until flushAppend(). Refused while a splice is open.
     * @returns count, or -1 when a block could not be written: samples of this call that
     *          went into the failed block are then not stored (for count up to
     *          kMaxBlockSamples nothing changes), earlier samples stay. -1 with nothing
     *          changed when the length would pass kMaxLength.
     */
    int appendSamples(const float* data, int count);

    /**
     * Writes the staged samples to one more block and frees the staging buffer.
     * @returns the bytes written (0 when nothing was staged), or -1 when the block could
     *          not be written; the samples then stay staged and a later flush may retry.
     */
    int flushAppend();

    /**
     * Appends a block made elsewhere, taking over the caller's reference (also when it
     * is refused). Refused while a splice is open or samples are staged.
     * @returns the block's samples, or -1 (the block released) when refused or when the
     *          length would pass kMaxLength.
     */
    int appendBlock(BlockFile* block);

    /**
     * Opens a splice that overwrites samples from position on with what writeSplice()
     * passes; commitOverwrite() puts it in place. A position past the end is reached
     * through silence. Staged appended samples are flushed first.
     * @returns 0, or -1 for a negative position, a splice already open, or when the
     *          samples before position in its block cannot be read or the flush fails.
     */
    int beginOverwrite(int position);

    /**
     * Opens a splice that inserts what writeSplice() passes before position;
     * commitInsert() puts it in place. A position at or past the end appends: the
     * samples follow the last block and the length grows by exactly their number.
     * @returns as beginOverwrite().
     */
    int beginInsert(int position);

    /**
     * Opens a splice that replaces the count samples from start by what writeSplice()
     * passes, however many: commitReplace() puts it in place and the length changes by
     * (written - count). A start past the end is reached through silence, as for an
     * overwrite; a range running past the end replaces up to the end.
     * @returns as beginOverwrite(); -1 also for a negative count.
     */
    int beginReplace(int start, int count);

    /**
     * Adds count samples to the open splice (full blocks are written at once).
     * @returns count, or -1 without an open splice, for bad arguments, when the length
     *          would pass kMaxLength, or when a block cannot be written: the splice is
     *          then cancelled and the sequence unchanged.
     */
    int writeSplice(const float* data, int count);

    /**
     * Puts the open splice in place, whichever of the three kinds it is: the blocks
     * touched are replaced by new ones (the samples of the first and last touched block
     * outside the range are copied) and released, every other block stays. An overwrite
     * grows the length only when it ran past the end.
     * @returns 0, or -1 without an open splice or when a block cannot be read or written
     *          (also a read on this thread while the splice was open, whose samples the
     *          caller may have written into it): the splice is then cancelled and the
     *          sequence unchanged.
     */
    int commitOverwrite();
    /** The same as commitOverwrite(), named for the splice beginInsert() opened. */
    int commitInsert();
    /** The same as commitOverwrite(), named for the splice beginReplace() opened. */
    int commitReplace();

    /** Drops an open splice: its new blocks are released, the list is unchanged. */
    void cancelSplice();
    bool spliceOpen() const;

    // Range edits. Each builds a new block list from the blocks before the first one
    // touched, new blocks for what survives of the first and last touched block, new
    // blocks for the inserted material and the blocks after; blocks that stay are shared,
    // not copied. Staged appended samples are flushed first. Each returns 0, or -1 with
    // the sequence unchanged: while a splice is open, for a negative position or count,
    // when the length would pass kMaxLength, or when a block cannot be read or written.

    /** Removes [start, start + count) (cut at the end). -1 also when start is at or past
     * the end. Head and tail of the touched blocks share one new block when they fit. */
    int deleteRange(int start, int count);
    /** Keeps only [start, start + count) (cut at the end): nothing is left when start is
     * at or past the end. */
    int keepRange(int start, int count);
    /** Replaces [start, start + count) (cut at the end) by silent blocks. -1 also when
     * start is at or past the end. */
    int silenceRange(int start, int count);
    /** Inserts count samples of silence before position (silent blocks of at most one
     * block's samples, the last one holding the rest); at or past the end they are
     * appended. */
    int insertSilence(int position, int count);
    /** As insertSilence(), with white noise of the given amplitude from the calling
     * thread's PseudoRandom generator. */
    int insertWhiteNoise(int position, int count, float amplitude);
    /** As insertSilence(), with pink noise of the given amplitude (PinkNoise: every block
     * starts from a generator seeded with the current second). */
    int insertPinkNoise(int position, int count, float amplitude);

    /** The most samples a sequence holds: lengths are 32-bit. */
    static constexpr int64_t kMaxLength = INT32_MAX;

private:
    enum class SpliceKind { Overwrite, Insert, Replace };

    struct Position {
        bool found = false;
        size_t index = 0;        // block holding the sample
        int64_t blockStart = 0;  // its first sample
        int offset = 0;          // samples into the block
    };

    Position find(int64_t sample) const;
    int readSamplesLocked(float* dst, int start, int count) const;
    int appendPiece(const float* data, int count);
    int begin(int position, SpliceKind kind, int count);
    int commit();
    // Where the samples after the splice resume in the old list.
    int64_t resumePosition() const;
    // The length a commit would give after `more` further samples were written.
    int64_t committedLength(int64_t more) const;
    // Passes samples through the staging buffer; every full buffer becomes a pending
    // block. False when a block cannot be written.
    bool stage(const float* data, int count);
    // Passes samples [from, to) of a block through the staging buffer.
    bool stageFromBlock(const BlockFile& block, int from, int to);
    // Turns what is staged into a pending block of its own. False when it cannot be written.
    bool sealStaged();
    // Adds count samples to the open splice as silent blocks, or as disk blocks filled by
    // generate(buffer, samples) one block at a time. False when a block cannot be written.
    bool spliceSilence(int count);
    template <typename Generate>
    bool spliceGenerated(int count, Generate generate);
    // Inserts count samples at position made by spliceMaterial (silence or noise).
    template <typename Material>
    int insertMaterial(int position, int count, Material spliceMaterial);
    // Flushes staged appended samples; false when that fails or a splice is open.
    bool readyForRangeEdit();
    // Installs a new block list and releases the blocks of the old one that left it.
    void replaceList(std::vector<BlockFile*> next, const std::vector<BlockFile*>& replaced);
    // A new disk block holding the bytes, or null when it cannot be made or written.
    static BlockFile* writeBlock(const float* data, int bytes);
    void ensureStaging();
    void freeStaging();
    void setSpliceOpen(bool open);

    // Guards blocks_, length_ and the staged samples (appendBuffer_ up to appendFill_
    // while no splice is open) against readers and copies on other threads.
    mutable std::mutex mutex_;
    std::vector<BlockFile*> blocks_;
    int length_ = 0;

    // Writer's state: appends and the open splice share the staging buffer.
    std::unique_ptr<float[]> appendBuffer_;
    int appendFill_ = 0;  // bytes
    std::vector<BlockFile*> pendingBlocks_;
    bool spliceOpen_ = false;       // changed under mutex_
    SpliceKind spliceKind_ = SpliceKind::Overwrite;
    int spliceWritten_ = 0;         // samples, counting the head copied in and a silent gap
    size_t spliceFirstBlock_ = 0;   // first block the splice replaces
    int64_t spliceFirstSample_ = 0; // its first sample (the end when past the end)
    int spliceHead_ = 0;            // samples of the first block before the splice point
    int64_t replaceEnd_ = 0;        // a replace splice: where the old samples resume
    uint32_t spliceReadFailures_ = 0;  // the thread's failed block reads when it opened
};

/**
 * Cancels the open splices of the sequences it watches when it goes, so that whatever way
 * the work on them ends (a failure, an exception) none stays open and refuses the next
 * splice. A committed splice is no longer open and stays. Belongs to the thread doing the
 * work.
 */
class SpliceGuard {
public:
    SpliceGuard() = default;
    explicit SpliceGuard(Sequence& sequence) { watch(sequence); }
    ~SpliceGuard();
    SpliceGuard(const SpliceGuard&) = delete;
    SpliceGuard& operator=(const SpliceGuard&) = delete;

    void watch(Sequence& sequence) { sequences_.push_back(&sequence); }

private:
    std::vector<Sequence*> sequences_;
};

}  // namespace wd
