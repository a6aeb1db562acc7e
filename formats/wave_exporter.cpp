#include "formats/wave_exporter.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "formats/output_file.h"
#include "model/sample_converter.h"
#include "wavedeck_messages.h"

namespace wd {
namespace {
constexpr int kBlock = 1024;
}

WaveExporter::~WaveExporter() { Cancel(); }

void WaveExporter::runWholeTrack() {
    const Track& t = snapshot();
    write(0, t.channelCount() > 1 ? 2 : 1, 0, t.length(), false);
}

void WaveExporter::runSelection() {
    ExportRange r = selectionRange(snapshot());
    write(r.sourceChannel, r.channels, r.start, std::max(0, r.count), true);
}

void WaveExporter::write(int sourceChannel, int channels, int start, int count, bool selection) {
    const Track& t = snapshot();
    HWND endWindow = selection ? mainWindow() : finalWindow();

    SF_INFO info{};
    info.frames = count;
    info.samplerate = t.sampleRate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    info.sections = 1;
    info.seekable = 0;
    if (!sf_format_check(&info)) info.format &= SF_FORMAT_TYPEMASK;
    // Written under a temporary name: the file at path changes only once this one is whole.
    OutputFile output;
    SNDFILE* file = sf_format_check(&info) && output.open(path) ? sf_open_fd(output.descriptor(), SFM_WRITE, &info, SF_FALSE) : nullptr;
    if (!file) {
        cancelled = true;
        PostMessageA(progressWindow, NotifySaveFailed, 0, 0);
        PostMessageA(endWindow, MsgSaveFailed, 0, 0);
        return;
    }
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);

    const Channel* first = t.channel(channels == 2 ? 0 : sourceChannel);
    const Channel* second = channels == 2 ? t.channel(1) : nullptr;
    std::vector<float> left(kBlock), right(kBlock), interleaved(2 * kBlock);
    bool writeFailed = false;
    int done = 0;
    while (done < count && !cancelled) {
        int n = std::min(kBlock, count - done);
        std::fill(left.begin(), left.end(), 0.0f);
        std::fill(right.begin(), right.end(), 0.0f);
        std::fill(interleaved.begin(), interleaved.end(), 0.0f);
        first->sequence().readSamples(left.data(), start + done, n);
        const float* out = left.data();
        if (second) {
            second->sequence().readSamples(right.data(), start + done, n);
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
            writeFailed = true;
            break;
        }
        done += n;
        PostMessageA(progressWindow, NotifySaveProgress, static_cast<WPARAM>(count), done);
    }
    bool closeFailed = sf_close(file) != 0;
    bool wasCancelled = cancelled.exchange(true);
    if (writeFailed || closeFailed || wasCancelled) {
        output.discard();
    } else if (!output.commit()) {
        closeFailed = true;
    }
    left = {};
    right = {};
    interleaved = {};

    if (writeFailed || closeFailed) {
        PostMessageA(progressWindow, NotifySaveFailed, 0, 0);
        PostMessageA(endWindow, MsgSaveFailed, 0, 0);
    } else if (wasCancelled) {
        PostMessageA(endWindow, MsgSaveCancelled, 0, 0);
    } else {
        PostMessageA(endWindow, MsgSaveComplete, 0, 0);
        PostMessageA(progressWindow, NotifySaveDone, 0, 0);
    }
}

}  // namespace wd
