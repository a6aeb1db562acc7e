#include "formats/wma_exporter.h"

#include <algorithm>
#include <vector>

#include "formats/output_file.h"
#include "formats/wma_writer_context.h"
#include "model/sample_converter.h"
#include "platform/wmrt/wm_profile_manager.h"
#include "platform/wmrt/wm_text.h"
#include "services/settings.h"
#include "wavedeck_messages.h"

namespace wd {
namespace {
constexpr int kBlock = 1024;
}

using namespace wm;

WmaExporter::~WmaExporter() { Cancel(); }

void WmaExporter::write(const ExportRange& range, bool selection) {
    const Track& t = snapshot();
    OutputFile output;
    auto fail = [&](FileProblem reason) {
        cancelled = true;
        setFailure(output.problem() != FileProblem::None ? output.problem() : reason);
        output.discard();
        reportFailure(selection);
    };

    // The writer writes beside the target; the target changes only once the file is whole.
    WmWriter writer;
    WmaWriterContext context(writer, t.sampleRate, range.channels);
    std::unique_ptr<WmProfile> profile;
    HRESULT hr = WmProfileManager().CreateEmptyProfile(WMT_VER_9_0, &profile);
    const auto target = static_cast<DWORD>(std::max(0, Settings::instance().formatQuality(2))) * 1000;
    if (succeeded(hr)) hr = context.addAudioStream(*profile, target);
    if (succeeded(hr)) hr = writer.SetProfile(*profile);
    if (succeeded(hr)) hr = output.open(path) ? S_OK : NS_E_FILE_WRITE;
    if (succeeded(hr)) hr = writer.SetOutputFilename(widenText(output.temporaryPath()));
    // Until the file is opened a failure is the encoder's: no codec format for the rate,
    // the channels and the bit rate.
    const bool opened = succeeded(hr) || output.isOpen();
    if (succeeded(hr)) hr = writer.BeginWriting();
    if (failed(hr)) {
        fail(opened ? FileProblem::Other : FileProblem::Encoder);
        return;
    }

    const Channel* first = t.channel(range.channels == 2 ? 0 : range.sourceChannel);
    const Channel* second = range.channels == 2 ? t.channel(1) : nullptr;
    std::vector<float> left(kBlock), right(kBlock);
    std::vector<int16_t> left16(kBlock), right16(kBlock), interleaved(2 * kBlock);
    int done = 0;
    while (done < range.count && !cancelled && succeeded(hr)) {
        const int n = std::min(kBlock, range.count - done);
        std::fill(left.begin(), left.end(), 0.0f);
        std::fill(right.begin(), right.end(), 0.0f);
        first->sequence().readSamples(left.data(), range.start + done, n);
        SampleConverter::floatToPcm16(left.data(), n * 4, left16.data());
        const int16_t* block = left16.data();
        if (second) {
            second->sequence().readSamples(right.data(), range.start + done, n);
            SampleConverter::floatToPcm16(right.data(), n * 4, right16.data());
            SampleConverter::interleavePair(left16.data(), right16.data(), 2, n * 2, interleaved.data());
            block = interleaved.data();
        }
        hr = context.writeBlock(block, static_cast<DWORD>(n * range.channels * 2));
        if (failed(hr)) break;
        done += n;
        PostMessageA(progressWindow, NotifySaveProgress, static_cast<WPARAM>(range.count), done);
    }
    left = {};
    right = {};
    left16 = {};
    right16 = {};
    interleaved = {};
    const bool wasCancelled = cancelled.exchange(true);
    if (wasCancelled) {
        // The writer is abandoned with the unfinished file.
        output.discard();
        reportEnd(selection, false, true, true);
        return;
    }
    if (succeeded(hr)) hr = writer.Flush();
    if (succeeded(hr)) hr = writer.EndWriting();
    if (succeeded(hr) && !output.commit()) hr = NS_E_FILE_WRITE;
    if (failed(hr)) {
        fail(FileProblem::Other);
        return;
    }
    reportEnd(selection, false, false, true);
}

}  // namespace wd
