#pragma once
// The main window's display as a port's job keeps it: the six result lines and the counters for
// the report, the gauge for the progress bar, and the two moments the command line acts on its
// own: the run state entered (Run is pressed at once) and a pass ended.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ops/Display.h"

namespace kvqor::cli {

class ProgressSlot;

class PortDisplay : public Display {
public:
    // The operation entered the run state from idle and waits for Run.
    std::function<void()> onRunState;
    // A pass ended, passed or failed; the lines still show it.
    std::function<void(bool passed)> onPassEnded;
    // Where the gauge goes for the bar; nullptr when no bar is drawn.
    ProgressSlot* progress = nullptr;

    void ApplyRunState(RunState state, std::string_view title) override;
    void SetLine(int line, std::string_view text) override;
    void ShowGauge(std::uint16_t max) override;
    void SetProgress(std::uint16_t value) override;
    void HideGauge() override;
    void ShowCounters(std::uint8_t passTotal, std::uint8_t failTotal) override;
    void PassEnded(bool passed) override;

    // The result lines that hold text, top to bottom.
    std::vector<std::string> ShownLines() const;

private:
    RunState state_ = RunState::Idle;
    std::array<std::string, kResultLines> lines_{};
};

}  // namespace kvqor::cli
