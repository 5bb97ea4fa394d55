// The sinks attached to one object's outgoing events. Every attached sink
// hears every event in the order they attached; by-reference arguments are
// handed from one sink to the next and end up back with the raiser, so a
// Cancel set by any sink reaches the caller.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace com {

template <class Sink>
class EventSource {
public:
    using Cookie = std::uint32_t;

    // Attaches a sink and returns the number that detaches it (0 for no sink).
    Cookie Advise(std::shared_ptr<Sink> sink)
    {
        if (!sink)
            return 0;
        std::lock_guard lock(mutex_);
        Cookie cookie = nextCookie_++;
        sinks_.emplace_back(cookie, std::move(sink));
        return cookie;
    }

    // False when no sink is attached under that number.
    bool Unadvise(Cookie cookie)
    {
        std::lock_guard lock(mutex_);
        for (auto it = sinks_.begin(); it != sinks_.end(); ++it) {
            if (it->first == cookie) {
                sinks_.erase(it);
                return true;
            }
        }
        return false;
    }

    std::size_t SinkCount() const
    {
        std::lock_guard lock(mutex_);
        return sinks_.size();
    }

    // Calls `deliver(sink)` for each sink attached when the event starts; a
    // sink that detaches itself or others meanwhile does not disturb the round.
    template <class Deliver>
    void Raise(Deliver&& deliver) const
    {
        std::vector<std::shared_ptr<Sink>> round;
        {
            std::lock_guard lock(mutex_);
            round.reserve(sinks_.size());
            for (const auto& entry : sinks_)
                round.push_back(entry.second);
        }
        for (const auto& sink : round)
            deliver(*sink);
    }

private:
    mutable std::mutex mutex_;
    Cookie nextCookie_ = 1;
    std::vector<std::pair<Cookie, std::shared_ptr<Sink>>> sinks_;
};

} // namespace com
