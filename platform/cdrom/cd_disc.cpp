#include "platform/cdrom/cd_disc.h"

#include <mutex>

namespace wd::cdrom {
namespace {

struct OpenerSlot {
    std::mutex mutex;
    DiscOpener opener;
};

OpenerSlot& slot() {
    static auto* s = new OpenerSlot;
    return *s;
}

}  // namespace

std::unique_ptr<CdDisc> openDisc(const std::string& source) {
    DiscOpener opener;
    {
        std::lock_guard lock(slot().mutex);
        opener = slot().opener;
    }
    return opener ? opener(source) : openCdioDisc(source);
}

void setDiscOpener(DiscOpener opener) {
    std::lock_guard lock(slot().mutex);
    slot().opener = std::move(opener);
}

}  // namespace wd::cdrom
