// Writes a Track, or its selection, as an Ogg Vorbis file.
#pragma once

#include "formats/exporter.h"

namespace wd {

/**
 * Output type 4. Variable bit rate at the quality of the Ogg setting: setting s encodes
 * at s / 10 (5 gives 0.5), held to the encoder's range -1 to 10. Pages go out through a
 * BufferedFileWriter. Progress (1144) follows each block the encoder hands out. A rate or
 * channel count the encoder refuses, or a file that cannot be written, fails the save
 * (1146, 1446) and leaves no file.
 */
class OggVorbisExporter : public Exporter {
public:
    static constexpr int kLowestQuality = -1;
    static constexpr int kHighestQuality = 10;

    OggVorbisExporter() = default;
    ~OggVorbisExporter() override;

    /** The encoder's quality (-0.1 to 1.0) for a quality setting. */
    static float encoderQuality(int setting);

protected:
    void runWholeTrack() override;
    void runSelection() override;

private:
    void write(const ExportRange& range, bool selection);
};

}  // namespace wd
