#include "ui/scoped_gdi_object.h"

namespace wd {

ScopedGdiObject::ScopedGdiObject(HDC dc, HGDIOBJ object) : dc_(dc), object_(object) {
    if (object_) previous_ = SelectObject(dc_, object_);
}

ScopedGdiObject::~ScopedGdiObject() {
    if (!object_) return;
    if (previous_) SelectObject(dc_, previous_);
    DeleteObject(object_);
}

}  // namespace wd
