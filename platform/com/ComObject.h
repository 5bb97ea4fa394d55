// The base of every object a component hands to clients, and the per-library
// count of live objects and locks that tells whether the library may unload.
#pragma once

#include <atomic>

namespace com {

// One per component library: counts the objects it has alive and the locks
// clients hold on its class factories.
class Module {
public:
    void AddObject() noexcept { objects_.fetch_add(1, std::memory_order_relaxed); }
    void RemoveObject() noexcept { objects_.fetch_sub(1, std::memory_order_relaxed); }
    void Lock(bool lock) noexcept { locks_.fetch_add(lock ? 1 : -1, std::memory_order_relaxed); }
    long ObjectCount() const noexcept { return objects_.load(std::memory_order_relaxed); }
    long LockCount() const noexcept { return locks_.load(std::memory_order_relaxed); }
    bool CanUnload() const noexcept { return ObjectCount() == 0 && LockCount() <= 0; }

private:
    std::atomic<long> objects_{0};
    std::atomic<long> locks_{0};
};

// Objects are shared with clients through std::shared_ptr; while any is alive
// its module reports that it cannot unload.
class Object {
public:
    explicit Object(Module& module) noexcept : module_(module) { module_.AddObject(); }
    Object(const Object& other) noexcept : module_(other.module_) { module_.AddObject(); }
    Object& operator=(const Object&) noexcept { return *this; }
    virtual ~Object() { module_.RemoveObject(); }

private:
    Module& module_;
};

} // namespace com
