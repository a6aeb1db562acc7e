// Reads Ogg Vorbis files into a Track with libvorbisfile.
#pragma once

#include <atomic>
#include <string>
#include <thread>

#include "formats/importer.h"

namespace wd {

/**
 * Decodes 4096 bytes of 16-bit samples at a time into a track of one channel for a mono
 * file and two otherwise (an empty second channel would play one ear only); a file of more than
 * two channels is mixed down to two (Vorbis channel order; centre and surrounds at -3 dB,
 * the LFE left out, each side scaled so it cannot clip).
 *
 * Only the first logical stream of a chained file is read; the read that first reports
 * the next stream still adds its samples when that stream has the same rate and channel
 * count. A gap in the data (a damaged or missing page) is skipped; other decoding errors
 * fail the import.
 *
 * Progress (1126) counts whole seconds: wParam the first stream's length, lParam the
 * position. Cancel posts 1425 after the worker has (so twice) when it stopped a running
 * read.
 */
class OggVorbisImporter : public Importer {
public:
    OggVorbisImporter() = default;
    ~OggVorbisImporter() override;

    bool Start(const std::string& path) override;
    void Cancel() override;

private:
    void run();
    /** Posts the end of a failed read (1426, 1127); the read no longer runs. */
    /** Posts the failure; reason as Importer::setFailure. */
    void fail(FileProblem reason, const Track* track = nullptr);

    std::string path_;
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> running_{false};
    std::thread thread_;
};

}  // namespace wd
