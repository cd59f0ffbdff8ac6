#pragma once
// The Host of tests: time is a VirtualClock, message boxes are recorded, the stop question is
// answered by a script. A wait that would sleep forever with nothing scheduled throws, so a test
// that would hang fails at once instead.

#include <deque>
#include <stdexcept>
#include <string>
#include <vector>

#include "link/Host.h"
#include "sim/VirtualClock.h"

namespace kvqor::sim {

struct RecordedBox {
    enum class Kind { Error, Plain, Warning, Question } kind;
    std::string text;
    Millis at;
    bool operator==(const RecordedBox&) const = default;
};

class HangError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class VirtualHost : public Host {
public:
    explicit VirtualHost(VirtualClock& clock) : clock_(clock) {}

    Millis Now() override { return clock_.Now(); }

    void PumpEvents(Millis wakeAt) override {
        ++pumpSteps_;
        if (clock_.RunDue())
            return;
        if (wakeAt <= clock_.Now())
            return;
        if (!clock_.HasPending() && wakeAt == kForever) {
            throw HangError("a wait would sleep forever: nothing is scheduled and it has no deadline");
        }
        clock_.AdvanceToMicros(std::min(MicrosFromMillis(wakeAt), clock_.NextTimeMicros()));
    }

    // Time passes during the pause; the line keeps moving bytes (scheduled events still run).
    void Pause(Millis ms) override { clock_.AdvanceToMicros(clock_.NowMicros() + MicrosFromMillis(ms)); }

    // Scripted answers to the confirmation box, taken in order; `thinkMs` is how long the user
    // looks at the box before answering.
    void AnswerNext(bool yes, Millis thinkMs = 0) { answers_.push_back({yes, thinkMs}); }

    bool Confirm(std::string_view text) override {
        boxes_.push_back({RecordedBox::Kind::Question, std::string(text), clock_.Now()});
        if (answers_.empty())
            throw std::logic_error("confirmation box with no scripted answer: " + std::string(text));
        const auto [yes, thinkMs] = answers_.front();
        answers_.pop_front();
        if (thinkMs > 0)
            clock_.AdvanceTo(clock_.Now() + thinkMs);
        return yes;
    }

    void Message(MessageKind kind, std::string_view text) override {
        const auto k = kind == MessageKind::Error   ? RecordedBox::Kind::Error
                       : kind == MessageKind::Plain ? RecordedBox::Kind::Plain
                                                    : RecordedBox::Kind::Warning;
        boxes_.push_back({k, std::string(text), clock_.Now()});
    }

    void ShowStatus(std::string_view text) override { statuses_.emplace_back(text); }

    const std::vector<RecordedBox>& Boxes() const { return boxes_; }
    const std::vector<std::string>& Statuses() const { return statuses_; }
    std::string Status() const { return statuses_.empty() ? std::string() : statuses_.back(); }
    std::size_t PumpSteps() const { return pumpSteps_; }
    void ClearRecords() {
        boxes_.clear();
        statuses_.clear();
    }

private:
    struct Answer {
        bool yes;
        Millis thinkMs;
    };
    VirtualClock& clock_;
    std::deque<Answer> answers_;
    std::vector<RecordedBox> boxes_;
    std::vector<std::string> statuses_;
    std::size_t pumpSteps_ = 0;
};

}  // namespace kvqor::sim
