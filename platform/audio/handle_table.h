// Live handles of one kind: checked on every call, never reused.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace wd {

/** Any thread. A handle is an opaque number; found() keeps the object alive for the
 * caller even when another thread removes it meanwhile. */
template <class T>
class HandleTable {
public:
    /** A new handle value, not yet bound to an object. */
    uintptr_t reserve() {
        std::lock_guard lock(mutex_);
        return next_ += 0x10;
    }
    void bind(uintptr_t handle, std::shared_ptr<T> object) {
        std::lock_guard lock(mutex_);
        objects_[handle] = std::move(object);
    }
    std::shared_ptr<T> find(const void* handle) const {
        std::lock_guard lock(mutex_);
        auto it = objects_.find(reinterpret_cast<uintptr_t>(handle));
        return it == objects_.end() ? nullptr : it->second;
    }
    std::shared_ptr<T> remove(const void* handle) {
        std::lock_guard lock(mutex_);
        auto it = objects_.find(reinterpret_cast<uintptr_t>(handle));
        if (it == objects_.end()) return nullptr;
        std::shared_ptr<T> object = std::move(it->second);
        objects_.erase(it);
        return object;
    }
    /** Every live handle with its object. */
    std::vector<std::pair<uintptr_t, std::shared_ptr<T>>> all() const {
        std::lock_guard lock(mutex_);
        return {objects_.begin(), objects_.end()};
    }

private:
    mutable std::mutex mutex_;
    std::map<uintptr_t, std::shared_ptr<T>> objects_;
    uintptr_t next_ = 0x10000;
};

}  // namespace wd
