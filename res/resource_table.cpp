#include "res/resource_table.h"

// Bounds of the section, made by the linker when at least one entry exists; weak so a
// module without resources links and sees an empty table.
extern "C" {
extern const wd::res::ResourceEntry __start_wd_resources[] __attribute__((weak, visibility("hidden")));
extern const wd::res::ResourceEntry __stop_wd_resources[] __attribute__((weak, visibility("hidden")));
}

namespace wd::res {

std::span<const uint8_t> findResource(int type, int id) {
    const ResourceEntry* begin = __start_wd_resources;
    const ResourceEntry* end = __stop_wd_resources;
    if (!begin || !end) return {};
    for (const ResourceEntry* e = begin; e < end; ++e) {
        if (e->type == type && e->id == id) return {e->data, e->size};
    }
    return {};
}

}  // namespace wd::res
