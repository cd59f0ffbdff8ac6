#pragma once
// A clock that jumps: when nothing is due, time moves straight to the next scheduled event.
// A 15-second time-out costs microseconds. Events due at the same time run in the order they were
// scheduled. Time is kept in microseconds (the simulated line paces characters at ~521 us each);
// Now() gives whole milliseconds for the link.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <utility>

#include "link/Host.h"
#include "sim/SimTime.h"

namespace kvqor::sim {

class VirtualClock {
public:
    using Action = std::function<void()>;

    Millis Now() const { return nowUs_ / kMicrosPerMilli; }
    Micros NowMicros() const { return nowUs_; }

    void At(Millis when, Action action) { AtMicros(MicrosFromMillis(when), std::move(action)); }
    void After(Millis delay, Action action) { AtMicros(nowUs_ + MicrosFromMillis(delay), std::move(action)); }
    void AtMicros(Micros when, Action action) {
        queue_.emplace(std::make_pair(std::max(when, nowUs_), seq_++), std::move(action));
    }
    void AfterMicros(Micros delay, Action action) { AtMicros(nowUs_ + delay, std::move(action)); }

    bool HasPending() const { return !queue_.empty(); }
    // The next event's time, rounded up to the millisecond.
    Millis NextTime() const { return MillisCeil(NextTimeMicros()); }
    Micros NextTimeMicros() const { return queue_.empty() ? kNever : queue_.begin()->first.first; }

    // Runs every event due by now; true if any ran.
    bool RunDue() {
        bool ran = false;
        while (!queue_.empty() && queue_.begin()->first.first <= nowUs_) {
            auto node = queue_.extract(queue_.begin());
            node.mapped()();
            ran = true;
        }
        return ran;
    }

    // Moves time forward to `when` (never back), running every event due on the way in order.
    void AdvanceTo(Millis when) { AdvanceToMicros(MicrosFromMillis(when)); }
    void AdvanceToMicros(Micros when) {
        while (!queue_.empty() && queue_.begin()->first.first <= when) {
            nowUs_ = std::max(nowUs_, queue_.begin()->first.first);
            RunDue();
        }
        nowUs_ = std::max(nowUs_, when);
    }

private:
    Micros nowUs_ = 0;
    std::uint64_t seq_ = 0;
    std::multimap<std::pair<Micros, std::uint64_t>, Action> queue_;
};

}  // namespace kvqor::sim
