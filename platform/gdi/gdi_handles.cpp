#include "platform/gdi/gdi_handles.h"

namespace wd::gdi {

GdiHandles& GdiHandles::instance() {
    static GdiHandles* table = new GdiHandles;
    return *table;
}

void GdiHandles::count(const GdiObject& object, int delta) {
    if (object.stock()) return;
    switch (object.kind()) {
        case ObjectKind::DeviceContext: counts_.deviceContexts += delta; break;
        case ObjectKind::Pen: counts_.pens += delta; break;
        case ObjectKind::Brush: counts_.brushes += delta; break;
        case ObjectKind::Font: counts_.fonts += delta; break;
        case ObjectKind::Bitmap: counts_.bitmaps += delta; break;
    }
}

uintptr_t GdiHandles::add(std::shared_ptr<GdiObject> object) {
    std::lock_guard lock(mutex_);
    uintptr_t handle = next_;
    next_ += 4;
    count(*object, +1);
    objects_.emplace(handle, std::move(object));
    return handle;
}

std::shared_ptr<GdiObject> GdiHandles::find(uintptr_t handle) const {
    std::lock_guard lock(mutex_);
    auto it = objects_.find(handle);
    return it == objects_.end() ? nullptr : it->second;
}

bool GdiHandles::remove(uintptr_t handle) {
    std::lock_guard lock(mutex_);
    auto it = objects_.find(handle);
    if (it == objects_.end() || it->second->stock()) return false;
    count(*it->second, -1);
    objects_.erase(it);
    return true;
}

uintptr_t GdiHandles::stock(int index) {
    std::shared_ptr<GdiObject> object;
    switch (index) {
        case WHITE_BRUSH: object = std::make_shared<Brush>(false, 0xFFFFFF); break;
        case LTGRAY_BRUSH: object = std::make_shared<Brush>(false, 0xC0C0C0); break;
        case GRAY_BRUSH: object = std::make_shared<Brush>(false, 0x808080); break;
        case DKGRAY_BRUSH: object = std::make_shared<Brush>(false, 0x404040); break;
        case BLACK_BRUSH: object = std::make_shared<Brush>(false, 0x000000); break;
        case NULL_BRUSH: object = std::make_shared<Brush>(true, 0); break;
        case WHITE_PEN: object = std::make_shared<Pen>(PS_SOLID, 1, 0xFFFFFF); break;
        case BLACK_PEN: object = std::make_shared<Pen>(PS_SOLID, 1, 0x000000); break;
        case NULL_PEN: object = std::make_shared<Pen>(PS_NULL, 1, 0); break;
        case SYSTEM_FONT:
        case DEFAULT_GUI_FONT: object = std::make_shared<Font>(FontRequest::deviceDefault()); break;
        default: return 0;
    }
    std::lock_guard lock(mutex_);
    if (auto it = stock_.find(index); it != stock_.end()) return it->second;
    object->markStock();
    uintptr_t handle = next_;
    next_ += 4;
    objects_.emplace(handle, std::move(object));
    stock_[index] = handle;
    return handle;
}

uintptr_t GdiHandles::defaultBitmap() {
    constexpr int kDefaultBitmapIndex = -1;
    std::lock_guard lock(mutex_);
    if (auto it = stock_.find(kDefaultBitmapIndex); it != stock_.end()) return it->second;
    auto bitmap = std::make_shared<Bitmap>(1, 1);
    bitmap->markStock();
    uintptr_t handle = next_;
    next_ += 4;
    objects_.emplace(handle, std::move(bitmap));
    stock_[kDefaultBitmapIndex] = handle;
    return handle;
}

GdiCounts GdiHandles::counts() const {
    std::lock_guard lock(mutex_);
    return counts_;
}

}  // namespace wd::gdi
