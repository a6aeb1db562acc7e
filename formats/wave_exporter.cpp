#include "formats/wave_exporter.h"

#include <sndfile.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <vector>

#include "formats/output_file.h"
#include "formats/sound_file_open.h"
#include "model/sample_converter.h"
#include "wavedeck_messages.h"

namespace wd {
namespace {
constexpr int kBlock = 1024;
}

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
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);

    const Channel* first = t.channel(range.channels == 2 ? 0 : range.sourceChannel);
    const Channel* second = range.channels == 2 ? t.channel(1) : nullptr;
    std::vector<float> left(kBlock), right(kBlock), interleaved(2 * kBlock);
    bool writeFailed = false;
    int done = 0;
    while (done < range.count && !cancelled) {
        int n = std::min(kBlock, range.count - done);
        std::fill(left.begin(), left.end(), 0.0f);
        std::fill(right.begin(), right.end(), 0.0f);
        std::fill(interleaved.begin(), interleaved.end(), 0.0f);
        first->sequence().readSamples(left.data(), range.start + done, n);
        const float* out = left.data();
        if (second) {
            second->sequence().readSamples(right.data(), range.start + done, n);
            SampleConverter::interleavePair(left.data(), right.data(), 4, n * 4, interleaved.data());
            out = interleaved.data();
        }
        // Not-a-number samples are drawn and played as silence; they are saved so too
        // (converted as they are they would become a full-scale click).
        float* samples = second ? interleaved.data() : left.data();
        for (int i = 0, total = n * (second ? 2 : 1); i < total; ++i) {
            if (std::isnan(samples[i])) samples[i] = 0.0f;
        }
        if (sf_writef_float(file, out, n) != n) {
            setFailure(problemOfErrno(errno));
            writeFailed = true;
            break;
        }
        done += n;
        PostMessageA(progressWindow, NotifySaveProgress, static_cast<WPARAM>(range.count), done);
    }
    bool closeFailed = sf_close(file) != 0;
    bool wasCancelled = cancelled.exchange(true);
    if (writeFailed || closeFailed || wasCancelled) {
        output.discard();
    } else if (!output.commit()) {
        setFailure(output.problem());
        closeFailed = true;
    }
    left = {};
    right = {};
    interleaved = {};

    reportEnd(selection, writeFailed || closeFailed, wasCancelled, false);
}

}  // namespace wd
