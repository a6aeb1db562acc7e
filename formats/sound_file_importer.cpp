#include "formats/sound_file_importer.h"

#include <sndfile.h>

#include <algorithm>
#include <climits>
#include <vector>

#include "formats/output_file.h"
#include "formats/sound_file_open.h"
#include "model/track_list.h"
#include "wavedeck_messages.h"

namespace wd {
namespace {
constexpr int kFrames = 1024;
constexpr int kReadFrames = 64 * kFrames;
constexpr int kMaxChannels = 2;
}  // namespace

SoundFileImporter::~SoundFileImporter() { Cancel(); }

void SoundFileImporter::fail(Track* track, FileProblem reason) {
    setFailure(reason, track);
    if (track) TrackList::instance().removeTrack(track);
    PostMessageA(finalWindow(), MsgImportFailed, 0, 0);
    NotifyProgressWindows(NotifyImportFailed, 0, 0);
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
        sf_close(file);
        fail(nullptr, FileProblem::TooLong);
        return;
    }
    const int fileChannels = info.channels;
    const int channels = fileChannels > kMaxChannels ? kMaxChannels : fileChannels;
    const auto totalFrames = static_cast<uint32_t>(info.frames);

    Track* track = TrackList::instance().addTrack(path(), TrackList::Building::Yes);
    if (!track || track->setChannelCount(channels) != channels) {
        sf_close(file);
        fail(track, FileProblem::NotSound);
        return;
    }
    track->sampleRate = info.samplerate;
    for (int c = 0; c < channels; ++c) track->channel(c)->viewRecord.sampleRate = info.samplerate;

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
                sf_close(file);
                TrackList::instance().removeTrack(track);
                PostMessageA(finalWindow(), MsgImportCancelled, 0, 0);
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
            NotifyProgressWindows(NotifyImportProgress, totalFrames, static_cast<LPARAM>(framesRead));
        }
    }
    // A read error ends the loop like the end of the file; libsndfile tells them apart.
    FileProblem reason = FileProblem::Other;
    if (!failed && sf_error(file) != SF_ERR_NO_ERROR) {
        failed = true;
        reason = sf_error(file) == SF_ERR_SYSTEM ? FileProblem::Other : FileProblem::NotSound;
    }
    sf_close(file);
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
