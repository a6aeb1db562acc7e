// Resources built into a module (the library, or a program that links the engine):
// bitmaps and other data found by type and numeric id.
//
// Entries live in the linker section "wd_resources" of the module that defines them,
// so the table needs no code to run at load time and every module sees exactly its own
// resources. cmake/Resources.cmake makes one entry for each file res/bitmaps/<id>.bmp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace wd::res {

/** Resource types, with the Windows numbers. */
constexpr int kTypeBitmap = 2;

struct ResourceEntry {
    int type;
    int id;
    const uint8_t* data;
    size_t size;
};

/** The bytes of the resource, or an empty span when the module has none of that type
 * and id. Thread-safe (the table is constant). */
std::span<const uint8_t> findResource(int type, int id);

}  // namespace wd::res

/** Defines a resource entry of this module: a constant that the linker gathers into
 * the module's resource table. name must be unique within the module. */
#define WD_RESOURCE_ENTRY(name, type, id, data, size) \
    [[gnu::used, gnu::section("wd_resources"), gnu::aligned(8)]] const ::wd::res::ResourceEntry name = {type, id, data, size}
