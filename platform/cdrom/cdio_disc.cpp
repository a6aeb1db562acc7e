#include "platform/cdrom/cdio_disc.h"

#include <cdio/cdio.h>
#include <cdio/logging.h>
#include <cdio/mmc_ll_cmds.h>
#include <sys/stat.h>

#include <mutex>

namespace wd::cdrom {
namespace {

// libcdio reports through its log; the library reports through results only.
void quiet(cdio_log_level_t, const char[]) {}

}  // namespace

std::unique_ptr<CdDisc> openCdioDisc(const std::string& source) { return CdioDisc::open(source); }

std::unique_ptr<CdioDisc> CdioDisc::open(const std::string& source) {
    static std::once_flag once;
    std::call_once(once, [] { cdio_log_set_handler(&quiet); });
    struct stat st {};
    if (source.empty() || ::stat(source.c_str(), &st) != 0 || !(S_ISREG(st.st_mode) || S_ISBLK(st.st_mode))) return nullptr;
    CdIo_t* cdio = cdio_open(source.c_str(), DRIVER_UNKNOWN);
    if (!cdio) return nullptr;
    const driver_id_t driver = cdio_get_driver_id(cdio);
    const bool image = driver == DRIVER_BINCUE || driver == DRIVER_CDRDAO || driver == DRIVER_NRG;
    return std::unique_ptr<CdioDisc>(new CdioDisc(cdio, source, image));
}

CdioDisc::CdioDisc(CdIo_t* cdio, std::string source, bool image) : cdio_(cdio), source_(std::move(source)), image_(image) {}

CdioDisc::~CdioDisc() { cdio_destroy(cdio_); }

bool CdioDisc::readToc(DiscToc& toc) {
    const track_t first = cdio_get_first_track_num(cdio_);
    const track_t count = cdio_get_num_tracks(cdio_);
    const lsn_t leadOut = cdio_get_track_lsn(cdio_, CDIO_CDROM_LEADOUT_TRACK);
    if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || leadOut == CDIO_INVALID_LSN) return false;
    toc = DiscToc{};
    toc.leadOut = leadOut;
    for (int t = first; t < first + count; ++t) {
        const lsn_t start = cdio_get_track_lsn(cdio_, static_cast<track_t>(t));
        if (start == CDIO_INVALID_LSN || start < 0 || start >= leadOut) break;
        const bool audio = cdio_get_track_format(cdio_, static_cast<track_t>(t)) == TRACK_FORMAT_AUDIO;
        toc.tracks.push_back({t, start, audio});
    }
    leadOut_ = leadOut;
    return !toc.tracks.empty();
}

bool CdioDisc::readAudio(int32_t start, uint32_t count, uint8_t* buffer) {
    if (leadOut_ < 0) {
        DiscToc toc;
        if (!readToc(toc)) return false;
    }
    if (start < 0 || count == 0 || static_cast<int64_t>(start) + count > leadOut_) return false;
    return cdio_read_audio_sectors(cdio_, buffer, start, count) == DRIVER_OP_SUCCESS;
}

bool CdioDisc::present() {
    if (!image_) return mmc_test_unit_ready(cdio_, 0) == DRIVER_OP_SUCCESS;
    struct stat st {};
    return ::stat(source_.c_str(), &st) == 0;
}

}  // namespace wd::cdrom
