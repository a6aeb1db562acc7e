#include "formats/sound_file_importer.h"

#include <sndfile.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include "formats/output_file.h"
#include "formats/sound_file_open.h"
#include "formats/source_block_file.h"
#include "formats/source_file.h"
#include "model/block_factory.h"
#include "model/track_list.h"
#include "wavedeck_messages.h"

namespace wd {
namespace {
constexpr int kFrames = 1024;
constexpr int kReadFrames = 64 * kFrames;
constexpr int kMaxChannels = 2;
// Threads summarising a file in place: the pass is bound by memory, which a few cores fill.
constexpr int kMaxWorkers = 4;
constexpr int kPrefetchBlocks = 128;
}  // namespace

SoundFileImporter::~SoundFileImporter() { Cancel(); }

void SoundFileImporter::fail(Track* track, FileProblem reason) {
    setFailure(reason, track);
    if (track) TrackList::instance().removeTrack(track);
    PostMessageA(finalWindow(), MsgImportFailed, 0, 0);
    NotifyProgressWindows(NotifyImportFailed, 0, 0);
}

void SoundFileImporter::cancel(Track* track) {
    TrackList::instance().removeTrack(track);
    PostMessageA(finalWindow(), MsgImportCancelled, 0, 0);
}

SoundFileImporter::Referred SoundFileImporter::referToSource(int fd, Track* track, int channels, int64_t& reported) {
    SF_INFO info{};
    std::shared_ptr<SourceFile> source = SourceFile::open(fd, &info);
    if (!source) return Referred::Copy;
    source->setPath(path());
    const int64_t frames = info.frames;
    const int fileChannels = info.channels;
    const int64_t blocks = (frames + BlockFile::kMaxSamples - 1) / BlockFile::kMaxSamples;
    std::vector<BlockSummary> summaries(static_cast<size_t>(blocks * channels));
    std::atomic<int64_t> nextBlock{0};
    std::atomic<bool> stop{false};
    std::atomic<bool> shortRead{false};
    std::mutex progressMutex;
    int64_t framesDone = 0;
    std::vector<LPARAM> steps;  // one block's progress messages, under progressMutex
    // The bytes of one block's frames, at about their place in the file.
    const off_t prefetchBytes = static_cast<off_t>(BlockFile::kMaxSamples) * source->frameBytes();
    auto reportProgress = [this](int64_t total, int64_t done) {
        NotifyProgressWindows(NotifyImportProgress, static_cast<WPARAM>(static_cast<uint32_t>(total)),
                              static_cast<LPARAM>(static_cast<uint32_t>(done)));
    };

    // Each worker summarises whole blocks, the next one not yet taken: 16-bit files from
    // their stored samples, others decoded, reading the file in pieces of at most 2 MiB of
    // samples whatever its channel count.
    auto summarise = [&] {
        SourceFile::Reader reader(*source);
        const int64_t piece = std::max<int64_t>(1, std::min<int64_t>(BlockFile::kMaxSamples, 2 * BlockFile::kMaxSamples / fileChannels));
        const bool stored16 = source->summarisesStored();
        const bool raw = source->rawAccess();
        std::vector<float> interleaved(raw ? 0 : static_cast<size_t>(piece * fileChannels));
        std::vector<unsigned char> stored(raw && !stored16 ? static_cast<size_t>(piece * source->frameBytes()) : 0);
        std::vector<float> samples(stored16 ? 0 : static_cast<size_t>(channels) * BlockFile::kMaxSamples);
        for (int64_t b = nextBlock++; b < blocks && !stop; b = nextBlock++) {
            if (cancelled()) {
                stop = true;
                return;
            }
            const int64_t first = b * BlockFile::kMaxSamples;
            const int64_t count = std::min<int64_t>(BlockFile::kMaxSamples, frames - first);
            BlockSummary* blockSummaries = &summaries[static_cast<size_t>(b * channels)];
            bool whole = true;
            if (stored16) {
                whole = source->summariseStored(first, static_cast<int>(count), blockSummaries, stored);
            } else {
                auto channelSamples = [&](int c) { return samples.data() + static_cast<size_t>(c) * BlockFile::kMaxSamples; };
                for (int64_t at = 0; at < count && whole; at += piece) {
                    const int64_t want = std::min(piece, count - at);
                    // Decoding the stored samples here takes a fraction of the time of
                    // libsndfile's reads, which convert every channel and copy twice.
                    whole = raw ? source->readRaw(first + at, want, stored.data())
                                : reader.readFrames(first + at, want, interleaved.data()) == want;
                    for (int c = 0; c < channels && whole; ++c) {
                        float* to = channelSamples(c) + at;
                        if (raw) {
                            source->decode(stored.data(), want, c, to);
                        } else {
                            for (int64_t i = 0; i < want; ++i) to[i] = interleaved[static_cast<size_t>(i * fileChannels + c)];
                        }
                    }
                }
                for (int c = 0; c < channels && whole; ++c) blockSummaries[c].compute(channelSamples(c), static_cast<int>(count));
            }
            if (!whole) {
                // A file shorter than its header says is read as far as it goes.
                shortRead = true;
                stop = true;
                return;
            }
            // Progress as a copying read reports it, 1024 frames a step, in increasing order.
            std::lock_guard lock(progressMutex);
            const int64_t done = framesDone + count;
            steps.clear();
            while (framesDone < done) {
                framesDone = std::min<int64_t>(framesDone + kFrames, done);
                steps.push_back(static_cast<LPARAM>(static_cast<uint32_t>(framesDone)));
            }
            reported = framesDone;
            NotifyProgressRun(NotifyImportProgress, static_cast<WPARAM>(static_cast<uint32_t>(frames)), steps);
        }
    };
    // The workers take blocks in file order: a file not in the page cache is read ahead
    // as one stream, its first kPrefetchBlocks blocks asked for at once and the rest by
    // the system's own read-ahead (asking for each block ahead as well costs more time in
    // the calls than it gains).
    adviseSequentialRead(fd);
    adviseReadSoon(fd, 0, prefetchBytes * kPrefetchBlocks);
    std::atomic<bool> outOfMemory{false};
    auto guarded = [&] {
        try {
            summarise();
        } catch (const std::bad_alloc&) {
            outOfMemory = true;
            stop = true;
        }
    };
    std::vector<std::thread> helpers;
    const int64_t wanted = std::min<int64_t>(blocks, std::clamp<int>(static_cast<int>(std::thread::hardware_concurrency()), 1, kMaxWorkers));
    for (int64_t i = 1; i < wanted; ++i) {
        try {
            helpers.emplace_back(guarded);
        } catch (const std::system_error&) {
            break;  // fewer helpers: the work is shared by those there are
        }
    }
    guarded();
    for (std::thread& helper : helpers) helper.join();
    if (cancelled()) return Referred::Cancelled;
    if (outOfMemory) return Referred::Failed;
    if (shortRead) return Referred::Copy;
    reportProgress(frames, frames);  // the step that finds the end

    for (int64_t b = 0; b < blocks; ++b) {
        const int64_t first = b * BlockFile::kMaxSamples;
        const int count = static_cast<int>(std::min<int64_t>(BlockFile::kMaxSamples, frames - first));
        for (int c = 0; c < channels; ++c) {
            auto* block = new SourceBlockFile(BlockFactory::instance().takeSerial(), source, c, first, count,
                                              std::move(summaries[static_cast<size_t>(b * channels + c)]));
            if (track->channel(c)->sequence().appendBlock(block) < 0) return Referred::Failed;
        }
    }
    PostMessageA(finalWindow(), MsgImportComplete, 0, reinterpret_cast<LPARAM>(track));
    NotifyProgressWindows(NotifyImportDone, 0, 0);
    return Referred::Done;
}

void SoundFileImporter::run() {
    SF_INFO info{};
    // Opened here rather than by name: FIFOs and devices are refused at once, and paths
    // longer than libsndfile's own limit open too.
    FileProblem problem = FileProblem::NotSound;
    FileDescriptor fd(openRegularFileForReading(path(), &problem));
    SNDFILE* file = fd.get() >= 0 ? openSoundFileOn(fd.get(), SFM_READ, &info) : nullptr;
    if (!file) {
        fail(nullptr, fd.get() >= 0 ? FileProblem::NotSound : problem);
        return;
    }
    // A track holds at most 2^31 - 1 samples per channel: a longer file is refused before
    // anything is read, rather than stored short.
    if (info.frames > INT_MAX) {
        closeSoundFile(file);
        fail(nullptr, FileProblem::TooLong);
        return;
    }
    const int fileChannels = info.channels;
    const int channels = fileChannels > kMaxChannels ? kMaxChannels : fileChannels;
    const auto totalFrames = static_cast<uint32_t>(info.frames);

    Track* track = TrackList::instance().addTrack(path(), TrackList::Building::Yes);
    if (!track || track->setChannelCount(channels) != channels) {
        closeSoundFile(file);
        fail(track, FileProblem::NotSound);
        return;
    }
    track->sampleRate = info.samplerate;
    for (int c = 0; c < channels; ++c) track->channel(c)->viewRecord.sampleRate = info.samplerate;
    // Frames the in-place pass reported before it found that the file must be copied
    // after all: the copy's progress starts again from the beginning, and reports only
    // once it is past them, so that progress never goes back.
    int64_t reported = 0;
    if (SourceFile::randomAccess(info)) {
        const Referred referred = referToSource(fd.get(), track, channels, reported);
        if (referred != Referred::Copy) closeSoundFile(file);
        if (referred == Referred::Failed) fail(track, FileProblem::Other);
        if (referred == Referred::Cancelled) cancel(track);
        if (referred != Referred::Copy) return;
    }

    // The file is read in large pieces (fewer calls, and progress messages come in bursts
    // that the user-interface thread takes in one wake-up); samples still go to the track
    // and progress is still reported 1024 frames at a time. A short file gets a buffer of
    // its own length, not 256 KiB per channel; a header that understates the length only
    // makes the reads smaller.
    const int readFrames = static_cast<int>(std::clamp<sf_count_t>(info.frames, kFrames, kReadFrames));
    std::vector<float> frames(static_cast<size_t>(readFrames) * static_cast<size_t>(fileChannels));
    std::vector<float> one(kFrames);
    bool failed = false;
    uint32_t framesRead = 0;
    for (bool more = true; more && !failed;) {
        const sf_count_t got = sf_readf_float(file, frames.data(), readFrames);
        const int read = got > 0 ? static_cast<int>(got) : 0;
        more = read > 0;
        // An empty read still reports, as the last 1024-frame step that found nothing.
        for (int at = 0; at < read || (!more && at == 0); at += kFrames) {
            if (cancelled()) {
                closeSoundFile(file);
                cancel(track);
                return;
            }
            const int n = std::min(kFrames, read - at);
            const float* piece = frames.data() + static_cast<size_t>(at) * static_cast<size_t>(fileChannels);
            for (int c = 0; c < channels && n > 0; ++c) {
                for (int i = 0; i < n; ++i) one[static_cast<size_t>(i)] = piece[static_cast<size_t>(i * fileChannels + c)];
                if (track->channel(c)->sequence().appendSamples(one.data(), n) != n) {
                    failed = true;
                    break;
                }
            }
            if (failed) break;
            framesRead += static_cast<uint32_t>(std::max(n, 0));
            if (framesRead >= reported) NotifyProgressWindows(NotifyImportProgress, totalFrames, static_cast<LPARAM>(framesRead));
        }
    }
    // A read error ends the loop like the end of the file; libsndfile tells them apart.
    FileProblem reason = FileProblem::Other;
    if (!failed && sf_error(file) != SF_ERR_NO_ERROR) {
        failed = true;
        reason = sf_error(file) == SF_ERR_SYSTEM ? FileProblem::Other : FileProblem::NotSound;
    }
    closeSoundFile(file);
    frames = {};
    one = {};
    for (int c = 0; c < channels && !failed; ++c) {
        if (track->channel(c)->sequence().flushAppend() < 0) failed = true;
    }
    if (failed) {
        fail(track, reason);
        return;
    }
    PostMessageA(finalWindow(), MsgImportComplete, 0, reinterpret_cast<LPARAM>(track));
    NotifyProgressWindows(NotifyImportDone, 0, 0);
}

}  // namespace wd
