#include "formats/ogg_vorbis_exporter.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <random>

#include "services/settings.h"
#include "formats/buffered_file_writer.h"
#include "wavedeck_messages.h"

namespace wd {
namespace {

constexpr int kBlock = 1024;

// The encoder's state, cleared in the reverse order of its making however the save ends.
struct VorbisEncoder {
    vorbis_info info{};
    vorbis_comment comment{};
    vorbis_dsp_state dsp{};
    vorbis_block block{};
    ogg_stream_state stream{};
    bool analysing = false;
    bool streaming = false;

    VorbisEncoder() {
        vorbis_info_init(&info);
        vorbis_comment_init(&comment);
    }
    ~VorbisEncoder() {
        if (streaming) ogg_stream_clear(&stream);
        if (analysing) {
            vorbis_block_clear(&block);
            vorbis_dsp_clear(&dsp);
        }
        vorbis_comment_clear(&comment);
        vorbis_info_clear(&info);
    }
    VorbisEncoder(const VorbisEncoder&) = delete;
    VorbisEncoder& operator=(const VorbisEncoder&) = delete;

    bool start(int channels, int rate, float quality) {
        if (vorbis_encode_init_vbr(&info, channels, rate, quality) != 0) return false;
        if (vorbis_analysis_init(&dsp, &info) != 0) return false;
        vorbis_block_init(&dsp, &block);
        analysing = true;
        // Serial numbers tell the streams of a chained file apart: files made in the same
        // second must still differ.
        std::random_device random;
        ogg_stream_init(&stream, static_cast<int>(random() & 0x7FFFFFFF));
        streaming = true;
        return true;
    }
};

bool writePage(BufferedFileWriter& output, const ogg_page& page) {
    return output.Write(page.header, static_cast<size_t>(page.header_len)) &&
           output.Write(page.body, static_cast<size_t>(page.body_len));
}

}  // namespace

OggVorbisExporter::~OggVorbisExporter() { Cancel(); }

float OggVorbisExporter::encoderQuality(int setting) {
    return static_cast<float>(std::clamp(setting, kLowestQuality, kHighestQuality)) * 0.1f;
}

void OggVorbisExporter::runWholeTrack() { write(wholeTrackRange(snapshot()), false); }

void OggVorbisExporter::runSelection() { write(selectionRange(snapshot()), true); }

void OggVorbisExporter::write(const ExportRange& range, bool selection) {
    const Track& t = snapshot();
    const int count = std::max(0, range.count);
    VorbisEncoder encoder;
    BufferedFileWriter output;
    bool failed = !encoder.start(range.channels, t.sampleRate, encoderQuality(Settings::instance().formatQuality(3)));
    if (failed) {
        setFailure(FileProblem::Encoder);
    } else if (!output.Open(path)) {
        setFailure(output.problem());
        failed = true;
    }

    // The three headers, flushed so that the audio starts on a page of its own.
    if (!failed) {
        ogg_packet header, comments, codebooks;
        vorbis_analysis_headerout(&encoder.dsp, &encoder.comment, &header, &comments, &codebooks);
        ogg_stream_packetin(&encoder.stream, &header);
        ogg_stream_packetin(&encoder.stream, &comments);
        ogg_stream_packetin(&encoder.stream, &codebooks);
        ogg_page page;
        while (!failed && ogg_stream_flush(&encoder.stream, &page)) failed = !writePage(output, page);
    }

    int done = 0;
    bool endOfStream = false;
    while (!failed && !cancelled) {
        const int n = std::min(kBlock, count - done);
        const bool last = count - done < kBlock + 1;
        if (n > 0) {
            float** buffer = vorbis_analysis_buffer(&encoder.dsp, kBlock);
            readBlock(range, done, n, buffer[0], range.channels == 2 ? buffer[1] : nullptr);
            vorbis_analysis_wrote(&encoder.dsp, n);
            done += n;
        }
        if (last) vorbis_analysis_wrote(&encoder.dsp, 0);
        while (!failed && vorbis_analysis_blockout(&encoder.dsp, &encoder.block) == 1) {
            vorbis_analysis(&encoder.block, nullptr);
            vorbis_bitrate_addblock(&encoder.block);
            ogg_packet packet;
            while (!failed && vorbis_bitrate_flushpacket(&encoder.dsp, &packet)) {
                ogg_stream_packetin(&encoder.stream, &packet);
                ogg_page page;
                while (!failed && !endOfStream && ogg_stream_pageout(&encoder.stream, &page)) {
                    failed = !writePage(output, page);
                    endOfStream = ogg_page_eos(&page) != 0;
                }
            }
            PostMessageA(progressWindow, NotifySaveProgress, static_cast<WPARAM>(count), done);
        }
        if (last) break;
    }
    // The end-of-stream packet forces its page out; anything still held goes out too.
    ogg_page page;
    while (!failed && !cancelled && !endOfStream && ogg_stream_flush(&encoder.stream, &page)) {
        failed = !writePage(output, page);
        endOfStream = ogg_page_eos(&page) != 0;
    }
    const bool wasCancelled = cancelled.exchange(true);
    if (failed || wasCancelled) {
        if (failed) setFailure(output.problem() != FileProblem::None ? output.problem() : FileProblem::Other);
        output.Discard();
    } else if (!output.Close()) {
        setFailure(output.problem());
        failed = true;
    }
    reportEnd(selection, failed, wasCancelled, false);
}

}  // namespace wd
