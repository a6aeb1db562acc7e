// Owns one pen, brush, font or bitmap for the length of a drawing and keeps it selected.
#pragma once

#include "wavedeck_win.h"

namespace wd {

/**
 * Selects a newly created GDI object into a device context and, when it goes out of
 * scope, puts the previous object back and deletes its own, so every paint frees what
 * it made (the GDI object count is the same before and after a paint). A null object
 * (creation failed) is neither selected nor deleted. Not copyable; one thread.
 */
class ScopedGdiObject {
public:
    ScopedGdiObject(HDC dc, HGDIOBJ object);
    ~ScopedGdiObject();
    ScopedGdiObject(const ScopedGdiObject&) = delete;
    ScopedGdiObject& operator=(const ScopedGdiObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ object_;
    HGDIOBJ previous_ = nullptr;
};

}  // namespace wd
