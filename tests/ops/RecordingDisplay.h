#pragma once
// A Display that keeps what the window would show, and the history tests need to check order.

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "ops/Display.h"

namespace kvqor {

class RecordingDisplay : public Display {
public:
    void ApplyRunState(RunState state, std::string_view newTitle) override {
        states.push_back(state);
        this->title = state == RunState::Idle ? std::string("No Command Select?") : std::string(newTitle);
    }
    void SetLine(int line, std::string_view text) override {
        lines.at(static_cast<std::size_t>(line - 1)) = std::string(text);
        ++lineWrites;
        if (!text.empty())
            lastShown.at(static_cast<std::size_t>(line - 1)) = std::string(text);
        if (keepHistory)
            history.at(static_cast<std::size_t>(line - 1)).emplace_back(text);
    }
    void ShowGauge(std::uint16_t max) override {
        gaugeVisible = true;
        gaugeMax = max;
        progress = 0;
        ++gaugeSweeps;
    }
    void SetProgress(std::uint16_t value) override { progress = value; }
    void HideGauge() override { gaugeVisible = false; }
    void ShowCounters(std::uint8_t pass, std::uint8_t fail) override {
        passText = "Success : " + std::to_string(pass);
        failText = "Failure : " + std::to_string(fail);
    }
    void WorkspaceChanged() override { ++workspaceChanges; }
    void PassEnded(bool passed) override {
        passes.push_back(passed);
        if (onPassEnded)
            onPassEnded(passed);
    }

    std::string Line(int n) const { return lines.at(static_cast<std::size_t>(n - 1)); }

    std::array<std::string, 6> lines{};
    std::array<std::string, 6> lastShown{};  // the last non-empty text of each line
    bool keepHistory = false;
    std::array<std::vector<std::string>, 6> history{};
    std::function<void(bool)> onPassEnded;
    std::vector<RunState> states;
    std::string title = "No Command Select?";
    bool gaugeVisible = false;
    std::uint16_t gaugeMax = 0;
    std::uint16_t progress = 0;
    int gaugeSweeps = 0;
    int lineWrites = 0;
    int workspaceChanges = 0;
    std::vector<bool> passes;
    std::string passText = "Success : 0";
    std::string failText = "Failure : 0";
};

}  // namespace kvqor
