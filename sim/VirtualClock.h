#pragma once
// A clock that jumps: when nothing is due, time moves straight to the next scheduled event.
// A 15-second time-out costs microseconds. Events due at the same time run in the order they were
// scheduled.

#include <cstdint>
#include <functional>
#include <map>
#include <utility>

#include "link/Host.h"

namespace kvqor::sim {

class VirtualClock {
public:
    using Action = std::function<void()>;

    Millis Now() const { return now_; }

    void At(Millis when, Action action) {
        queue_.emplace(std::make_pair(std::max(when, now_), seq_++), std::move(action));
    }
    void After(Millis delay, Action action) { At(now_ + delay, std::move(action)); }

    bool HasPending() const { return !queue_.empty(); }
    Millis NextTime() const { return queue_.empty() ? kForever : queue_.begin()->first.first; }

    // Runs every event due by now; true if any ran.
    bool RunDue() {
        bool ran = false;
        while (!queue_.empty() && queue_.begin()->first.first <= now_) {
            auto node = queue_.extract(queue_.begin());
            node.mapped()();
            ran = true;
        }
        return ran;
    }

    // Moves time forward to `when` (never back), running every event due on the way in order.
    void AdvanceTo(Millis when) {
        while (!queue_.empty() && queue_.begin()->first.first <= when) {
            now_ = std::max(now_, queue_.begin()->first.first);
            RunDue();
        }
        now_ = std::max(now_, when);
    }

private:
    Millis now_ = 0;
    std::uint64_t seq_ = 0;
    std::multimap<std::pair<Millis, std::uint64_t>, Action> queue_;
};

}  // namespace kvqor::sim
