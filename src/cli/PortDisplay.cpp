#include "cli/PortDisplay.h"

#include "cli/Console.h"

namespace kvqor::cli {

void PortDisplay::ApplyRunState(RunState state, std::string_view) {
    const RunState before = state_;
    state_ = state;
    if (before == RunState::Idle && state == RunState::WaitingForRun && onRunState)
        onRunState();
}

void PortDisplay::SetLine(int line, std::string_view text) {
    if (line < 1 || line > kResultLines)
        return;
    lines_[static_cast<std::size_t>(line - 1)] = text;
    if (progress != nullptr && !text.empty())
        progress->SetText(text);
}

void PortDisplay::ShowGauge(std::uint16_t max) {
    if (progress != nullptr)
        progress->Show(max);
}

void PortDisplay::SetProgress(std::uint16_t value) {
    if (progress != nullptr)
        progress->SetValue(value);
}

void PortDisplay::HideGauge() {
    if (progress != nullptr)
        progress->Hide();
}

void PortDisplay::ShowCounters(std::uint8_t, std::uint8_t) {}

void PortDisplay::PassEnded(bool passed) {
    if (progress != nullptr)
        progress->Hide();
    if (onPassEnded)
        onPassEnded(passed);
}

std::vector<std::string> PortDisplay::ShownLines() const {
    std::vector<std::string> shown;
    for (const std::string& l : lines_) {
        if (!l.empty())
            shown.push_back(l);
    }
    return shown;
}

}  // namespace kvqor::cli
