// The process-wide table of GDI handles: creation, lookup, deletion, stock objects and
// the live-object counts that tests use to prove every paint releases what it made.
#pragma once

#include <map>
#include <memory>
#include <mutex>

#include "platform/gdi/gdi_object.h"
#include "wavedeck_win.h"

namespace wd::gdi {

/** Live objects by kind (stock objects excluded). */
struct GdiCounts {
    int deviceContexts = 0;
    int pens = 0;
    int brushes = 0;
    int fonts = 0;
    int bitmaps = 0;
    int total() const { return deviceContexts + pens + brushes + fonts + bitmaps; }
};

/** Thread-safe. Handles count up and are never reused while the process runs. */
class GdiHandles {
public:
    static GdiHandles& instance();

    /** Registers a new object and returns its handle (counted unless stock). */
    uintptr_t add(std::shared_ptr<GdiObject> object);
    std::shared_ptr<GdiObject> find(uintptr_t handle) const;
    template <class T>
    std::shared_ptr<T> findAs(uintptr_t handle, ObjectKind kind) const {
        auto object = find(handle);
        if (!object || object->kind() != kind) return nullptr;
        return std::static_pointer_cast<T>(object);
    }
    /** Forgets a handle; false for an unknown or stock handle. */
    bool remove(uintptr_t handle);
    /** GetStockObject indexes; 0 for an unknown index. */
    uintptr_t stock(int index);
    /** The 1 x 1 bitmap a memory device context starts with. */
    uintptr_t defaultBitmap();
    GdiCounts counts() const;

private:
    GdiHandles() = default;
    void count(const GdiObject& object, int delta);

    mutable std::mutex mutex_;
    std::map<uintptr_t, std::shared_ptr<GdiObject>> objects_;
    std::map<int, uintptr_t> stock_;
    uintptr_t next_ = 0x01000000;
    GdiCounts counts_;
};

template <class H>
uintptr_t handleValue(H handle) {
    return reinterpret_cast<uintptr_t>(handle);
}

}  // namespace wd::gdi
