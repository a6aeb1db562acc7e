#include "formats/ogg_vorbis_importer.h"

#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

#include <cstdio>
#include <system_error>
#include <vector>

#include "formats/output_file.h"
#include "model/sample_converter.h"
#include "model/track_list.h"
#include "platform/files/file_io.h"
#include "wavedeck_messages.h"

namespace wd {
namespace {

constexpr int kReadBytes = 4096;
constexpr int kMaxFrames = kReadBytes / 2;  // a mono read

// The weights of each input channel in the left and right output of a mix-down (Vorbis
// channel order), each side scaled to sum to 1. Orders beyond eight channels are not
// defined: their first two channels are taken.
void mixDownWeights(int channels, std::vector<float>& left, std::vector<float>& right) {
    constexpr float k = 0.70710678f;
    static const std::vector<std::vector<float>> kLeft = {
        {1, k, 0}, {1, 0, k, 0}, {1, k, 0, k, 0}, {1, k, 0, k, 0, 0}, {1, k, 0, k, 0, 0.5f, 0}, {1, k, 0, k, 0, k, 0, 0}};
    static const std::vector<std::vector<float>> kRight = {
        {0, k, 1}, {0, 1, 0, k}, {0, k, 1, 0, k}, {0, k, 1, 0, k, 0}, {0, k, 1, 0, k, 0.5f, 0}, {0, k, 1, 0, k, 0, k, 0}};
    left.assign(static_cast<size_t>(channels), 0.0f);
    right.assign(static_cast<size_t>(channels), 0.0f);
    if (channels < 3 || channels > 8) {
        left[0] = 1.0f;
        right[1] = 1.0f;
        return;
    }
    left = kLeft[static_cast<size_t>(channels - 3)];
    right = kRight[static_cast<size_t>(channels - 3)];
    for (auto* side : {&left, &right}) {
        float sum = 0.0f;
        for (float w : *side) sum += w;
        for (float& w : *side) w /= sum;
    }
}

// libvorbisfile's stream, cleared (and its file closed) however the read ends.
struct VorbisFile {
    OggVorbis_File file{};
    bool open = false;
    ~VorbisFile() {
        if (open) ov_clear(&file);
    }
};

// Whole seconds for a progress message. A damaged stream can give a time that is not a
// number or infinite (a rate of 0); that counts as 0.
LPARAM wholeSeconds(double seconds) {
    if (!(seconds >= 0)) return 0;
    return seconds < 1e9 ? static_cast<LPARAM>(seconds) : static_cast<LPARAM>(1e9);
}

}  // namespace

OggVorbisImporter::~OggVorbisImporter() { Cancel(); }

bool OggVorbisImporter::Start(const std::string& path) {
    Cancel();
    path_ = path;
    cancelled_ = false;
    running_ = true;
    beginRead();
    try {
        thread_ = std::thread([this] { run(); });
    } catch (const std::system_error&) {
        fail(FileProblem::Other);
        return false;
    }
    return true;
}

void OggVorbisImporter::Cancel() {
    if (cancelled_ || !thread_.joinable()) return;
    cancelled_ = true;
    thread_.join();
    // Only a read that was still going is reported; one that had ended has said so.
    if (running_.exchange(false)) PostMessageA(finalWindow(), MsgImportCancelled, 0, 0);
}

void OggVorbisImporter::fail(FileProblem reason, const Track* track) {
    setFailure(reason, track);
    running_ = false;
    PostMessageA(finalWindow(), MsgImportFailed, 0, 0);
    NotifyProgressWindows(NotifyImportFailed, 0, 0);
}

void OggVorbisImporter::run() {
    FileProblem problem = FileProblem::Other;
    const int fd = openRegularFileForReading(path_, &problem);
    FILE* stream = fd >= 0 ? ::fdopen(fd, "rb") : nullptr;
    if (!stream) {
        if (fd >= 0) closeFile(fd);
        fail(problem);
        return;
    }
    VorbisFile vorbis;
    if (ov_open(stream, &vorbis.file, nullptr, 0) < 0) {
        std::fclose(stream);
        fail(FileProblem::NotSound);
        return;
    }
    vorbis.open = true;
    const vorbis_info* info = ov_info(&vorbis.file, -1);
    const int channels = info->channels;
    const long rate = info->rate;
    ov_pcm_seek(&vorbis.file, 0);

    TrackList& tracks = TrackList::instance();
    Track* track = tracks.addTrack(path_, TrackList::Building::Yes);
    const int trackChannels = channels == 1 ? 1 : 2;
    if (!track || track->setChannelCount(trackChannels) != trackChannels) {
        if (track) tracks.removeTrack(track);
        fail(FileProblem::Other);
        return;
    }
    track->sampleRate = static_cast<int>(rate);
    track->channel(0)->viewRecord.sampleRate = static_cast<int>(rate);
    if (channels > 1) track->channel(1)->viewRecord.sampleRate = static_cast<int>(rate);

    std::vector<char> pcm(2 * kReadBytes);
    std::vector<float> floats(kReadBytes);
    std::vector<float> left(2 * kMaxFrames), right(2 * kMaxFrames);
    std::vector<float> leftWeights, rightWeights;
    if (channels > 2) mixDownWeights(channels, leftWeights, rightWeights);
    Sequence& first = track->channel(0)->sequence();
    Sequence* second = trackChannels == 2 ? &track->channel(1)->sequence() : nullptr;

    int link = 0;
    long n = kReadBytes;
    bool failed = false;
    bool cancelled = false;
    while (link == 0 && n > 0) {
        if (cancelled_) {
            cancelled = true;
            break;
        }
        n = ov_read(&vorbis.file, pcm.data(), kReadBytes, 0, 2, 1, &link);
        if (n == OV_HOLE) {
            n = kReadBytes;  // a damaged or missing page: go on after it
            continue;
        }
        if (n < 0) {
            failed = true;
            break;
        }
        // The first read of the next stream counts only when its samples fit this track.
        const vorbis_info* now = link == 0 ? info : ov_info(&vorbis.file, link);
        const bool fits = now && now->channels == channels && now->rate == rate;
        const int frames = static_cast<int>(n / channels / 2);
        if (fits && frames > 0) {
            SampleConverter::pcm16ToFloat(reinterpret_cast<const int16_t*>(pcm.data()), static_cast<int>(n), floats.data());
            bool ok = true;
            if (channels == 1) {
                ok = first.appendSamples(floats.data(), frames) == frames;
            } else {
                if (channels == 2) {
                    SampleConverter::deinterleavePair(floats.data(), 12, static_cast<int>(2 * n), left.data(), right.data());
                } else {
                    for (int f = 0; f < frames; ++f) {
                        const float* frame = floats.data() + static_cast<size_t>(f) * static_cast<size_t>(channels);
                        float l = 0.0f, r = 0.0f;
                        for (int c = 0; c < channels; ++c) {
                            l += leftWeights[static_cast<size_t>(c)] * frame[c];
                            r += rightWeights[static_cast<size_t>(c)] * frame[c];
                        }
                        left[static_cast<size_t>(f)] = l;
                        right[static_cast<size_t>(f)] = r;
                    }
                }
                ok = first.appendSamples(left.data(), frames) == frames && second->appendSamples(right.data(), frames) == frames;
            }
            if (!ok) {
                failed = true;
                break;
            }
        }
        NotifyProgressWindows(NotifyImportProgress, static_cast<WPARAM>(wholeSeconds(ov_time_total(&vorbis.file, link))),
                              wholeSeconds(ov_time_tell(&vorbis.file)));
    }
    pcm = {};
    floats = {};
    left = {};
    right = {};
    if (cancelled) {
        PostMessageA(finalWindow(), MsgImportCancelled, 0, 0);
        tracks.removeTrack(track);
        return;
    }
    if (failed || first.flushAppend() < 0 || (second && second->flushAppend() < 0)) {
        fail(FileProblem::NotSound, track);
        tracks.removeTrack(track);
        return;
    }
    running_ = false;
    PostMessageA(finalWindow(), MsgImportComplete, 0, reinterpret_cast<LPARAM>(track));
    NotifyProgressWindows(NotifyImportDone, 0, 0);
}

}  // namespace wd
