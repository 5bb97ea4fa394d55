// Numbered contexts: the 32-bit handles the entry points give out and take back.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace fcifdi {

template <class Context>
class HandleTable {
public:
    // 0 is never a handle, so callers can use it for "none".
    std::int32_t Add(std::shared_ptr<Context> context)
    {
        std::lock_guard lock(mutex_);
        do {
            next_ = next_ == INT32_MAX ? 1 : next_ + 1;
        } while (contexts_.count(next_) != 0);
        contexts_.emplace(next_, std::move(context));
        return next_;
    }

    std::shared_ptr<Context> Find(std::int32_t handle) const
    {
        std::lock_guard lock(mutex_);
        auto it = contexts_.find(handle);
        return it == contexts_.end() ? nullptr : it->second;
    }

    std::shared_ptr<Context> Remove(std::int32_t handle)
    {
        std::lock_guard lock(mutex_);
        auto it = contexts_.find(handle);
        if (it == contexts_.end())
            return nullptr;
        auto context = std::move(it->second);
        contexts_.erase(it);
        return context;
    }

private:
    mutable std::mutex mutex_;
    std::int32_t next_ = 0;
    std::unordered_map<std::int32_t, std::shared_ptr<Context>> contexts_;
};

} // namespace fcifdi
