// Reads MPEG audio files (layers I, II and III: .mp1, .mp2, .mp3) into a Track with libmad.
#pragma once

#include <atomic>
#include <string>
#include <thread>

#include "formats/importer.h"

namespace wd {

/**
 * Decodes with libmad's synchronous decoder, fed 65,536 bytes at a time; damaged frames
 * are skipped. The track takes its rate and channel count from the first decoded frame;
 * later frames of another channel count are mixed down or doubled to fit it, and frames
 * at another rate are resampled to it, so the track keeps its timing and pitch.
 *
 * Tags at either end are not decoded, nor is the encoder's info frame; when that frame
 * has a LAME tag, the encoder's delay and padding are cut off, so the track has the
 * length of the audio that was encoded. Without one, the track holds what the decoder
 * gives, delay and padding included.
 *
 * Progress (1126) counts bytes: wParam the file's size, lParam the file position read
 * so far. A file without a single decodable frame fails (1426, 1127).
 */
class MpegAudioImporter : public Importer {
public:
    MpegAudioImporter() = default;
    ~MpegAudioImporter() override;

    /** Opens the file at once: a missing or non-regular file fails here (1127, 1426,
     * false); otherwise the worker starts. */
    bool Start(const std::string& path) override;
    void Cancel() override;

private:
    void run(int fd);

    std::string path_;
    std::atomic<bool> cancelled_{true};
    std::thread thread_;
};

}  // namespace wd
