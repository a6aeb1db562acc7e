#include "formats/wave_exporter.h"

#include <sndfile.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <vector>

#include "formats/output_file.h"
#include "formats/sound_file_open.h"
#include "platform/simd/sample_kernels.h"
#include "wavedeck_messages.h"

namespace wd {
namespace {

// Frames read and written per step: large runs keep the per-call and per-message costs
// small next to the samples themselves.
constexpr int kRun = 65536;

}  // namespace

WaveExporter::~WaveExporter() { Cancel(); }

void WaveExporter::write(const ExportRange& range, bool selection) {
    const Track& t = snapshot();

    SF_INFO info{};
    info.frames = range.count;
    info.samplerate = t.sampleRate;
    info.channels = range.channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    info.sections = 1;
    info.seekable = 0;
    if (!sf_format_check(&info)) info.format &= SF_FORMAT_TYPEMASK;
    // Written under a temporary name: the file at path changes only once this one is whole.
    OutputFile output;
    SNDFILE* file = sf_format_check(&info) && output.open(path) ? openSoundFileOn(output.descriptor(), SFM_WRITE, &info) : nullptr;
    if (!file) {
        setFailure(output.problem() != FileProblem::None ? output.problem() : FileProblem::Encoder);
        cancelled = true;
        reportFailure(selection);
        return;
    }
    const Channel* first = t.channel(range.channels == 2 ? 0 : range.sourceChannel);
    const Channel* second = range.channels == 2 ? t.channel(1) : nullptr;
    const int channels = second ? 2 : 1;
    std::vector<float> left(kRun), right(second ? kRun : 0);
    std::vector<int16_t> pcm(static_cast<size_t>(channels) * kRun);
    auto readRun = [&range](const Channel* c, std::vector<float>& into, int at, int n) {
        const int got = std::max(c->sequence().readSamples(into.data(), range.start + at, n), 0);
        std::fill(into.begin() + got, into.begin() + n, 0.0f);
    };
    bool writeFailed = false;
    int done = 0;
    int64_t percentPosted = -1;
    while (done < range.count && !cancelled) {
        const int n = std::min(kRun, range.count - done);
        readRun(first, left, done, n);
        if (second) readRun(second, right, done, n);
        // Converted here, as libsndfile would, so the samples go to the file as they are
        // without its own conversion pass.
        floatToPcm16(left.data(), second ? right.data() : nullptr, n, pcm.data());
        if (sf_writef_short(file, pcm.data(), n) != n) {
            setFailure(problemOfErrno(errno));
            writeFailed = true;
            break;
        }
        output.wrote();
        done += n;
        // One message per percent: a slow host is not flooded, and the last one says "all".
        const int64_t percent = static_cast<int64_t>(done) * 100 / range.count;
        if (percent != percentPosted || done == range.count) {
            percentPosted = percent;
            PostMessageA(progressWindow, NotifySaveProgress, static_cast<WPARAM>(range.count), done);
        }
    }
    bool closeFailed = !closeSoundFile(file);
    bool wasCancelled = cancelled.exchange(true);
    if (writeFailed || closeFailed || wasCancelled) {
        output.discard();
    } else if (!output.commit()) {
        setFailure(output.problem());
        closeFailed = true;
    }
    left = {};
    right = {};
    pcm = {};

    reportEnd(selection, writeFailed || closeFailed, wasCancelled, false);
}

}  // namespace wd
