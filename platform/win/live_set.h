// The live objects behind one kind of handle, so that a handle that was
// never made, or is already freed, is refused rather than followed.
#pragma once

#include <mutex>
#include <unordered_set>

namespace movanta {

template <class T>
class LiveSet {
public:
    void Add(const T* item) {
        std::lock_guard guard(lock_);
        items_.insert(item);
    }
    // False when the handle was not live.
    bool Remove(const void* handle) {
        std::lock_guard guard(lock_);
        return items_.erase(static_cast<const T*>(handle)) > 0;
    }
    T* Find(const void* handle) const {
        std::lock_guard guard(lock_);
        const auto* item = static_cast<const T*>(handle);
        return items_.count(item) != 0 ? const_cast<T*>(item) : nullptr;
    }

private:
    mutable std::mutex lock_;
    std::unordered_set<const T*> items_;
};

}  // namespace movanta
