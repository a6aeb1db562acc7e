// A disc in a drive, as the CD drive calls see it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace wd::cdrom {

/** A disc's table of contents: sector addresses from 0 (00:02:00). */
struct DiscToc {
    struct Track {
        int number = 0;
        int32_t start = 0;
        bool audio = true;
    };
    std::vector<Track> tracks;  // in order, each starting before the lead-out
    int32_t leadOut = 0;        // the first sector after the last track
};

/**
 * An open disc. One thread at a time per object.
 */
class CdDisc {
public:
    virtual ~CdDisc() = default;
    /** @returns false when the disc cannot tell. */
    virtual bool readToc(DiscToc& toc) = 0;
    /** Reads count raw sectors from sector start into 2352 x count bytes; false for
     * sectors outside the disc or that cannot be read. */
    virtual bool readAudio(int32_t start, uint32_t count, uint8_t* buffer) = 0;
    /** False once the disc has left the drive (for an image: its file is gone). */
    virtual bool present() = 0;
};

/** Opens the disc a drive folder names: a device or an image file. Null when it cannot. */
using DiscOpener = std::function<std::unique_ptr<CdDisc>(const std::string& source)>;

/** Opens a disc with libcdio. */
std::unique_ptr<CdDisc> openCdioDisc(const std::string& source);

/** Opens a disc the way the drive calls do: with libcdio, unless a test has put another
 * opener in place. Any thread. */
std::unique_ptr<CdDisc> openDisc(const std::string& source);
/** Replaces the opener (tests: a disc with faults); an empty one restores libcdio. */
void setDiscOpener(DiscOpener opener);

}  // namespace wd::cdrom
