// A disc read through libcdio: a drive's device or a disc image.
#pragma once

#include <string>

#include "platform/cdrom/cd_disc.h"

typedef struct _CdIo CdIo_t;

namespace wd::cdrom {

/**
 * Tracks that would start at or after the end of the data (an image whose BIN is shorter
 * than its CUE claims) are left out of the table of contents, and reads stop at the end
 * of the data: libcdio would hand out a partly stale buffer as a successful read there.
 */
class CdioDisc : public CdDisc {
public:
    /** Null when libcdio cannot open the source, or it is neither a regular file nor a
     * block device (a FIFO would hold the open). */
    static std::unique_ptr<CdioDisc> open(const std::string& source);
    ~CdioDisc() override;

    bool readToc(DiscToc& toc) override;
    bool readAudio(int32_t start, uint32_t count, uint8_t* buffer) override;
    bool present() override;

private:
    CdioDisc(CdIo_t* cdio, std::string source, bool image);

    CdIo_t* cdio_;
    std::string source_;
    bool image_;
    int32_t leadOut_ = -1;  // known after readToc
};

}  // namespace wd::cdrom
