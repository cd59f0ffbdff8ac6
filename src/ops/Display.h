#pragma once
// What a running operation shows. The window maps it to widgets, the command line to a terminal,
// tests to a recording.

#include <cstdint>
#include <string_view>

namespace kvqor {

// The three states of the window-state table.
//   Idle:          title "No Command Select?" on the button face; Run disabled; Stop/Exit reads
//                  "Exit", disabled; Reset, Connect, the File, Device and Help menus and the port
//                  and device boxes enabled.
//   WaitingForRun: the operation's title in blue on yellow; Run enabled; Stop/Exit reads "Exit",
//                  enabled; Reset enabled; Connect, the menus and both boxes disabled. Focus goes
//                  to Run when entered from Idle, to Stop/Exit when entered after a pass.
//   Pass:          as WaitingForRun, but Run and Reset disabled and Stop/Exit reads "Stop".
enum class RunState { Idle, WaitingForRun, Pass };

inline constexpr int kResultLines = 6;

class Display {
public:
    virtual ~Display() = default;

    // Applies the whole window-state table for `state`; `title` is the operation's title, shown
    // in the two run states.
    virtual void ApplyRunState(RunState state, std::string_view title) = 0;

    // Result line 1 to 6 (DisplayRun1 to DisplayRun6).
    virtual void SetLine(int line, std::string_view text) = 0;

    // The gauge PercentRun: shown with minimum 0, maximum `max` and progress 0; progress; hidden.
    virtual void ShowGauge(std::uint16_t max) = 0;
    virtual void SetProgress(std::uint16_t value) = 0;
    virtual void HideGauge() = 0;

    // "Success : " and "Failure : " followed by the counters.
    virtual void ShowCounters(std::uint8_t passTotal, std::uint8_t failTotal) = 0;

    // The buffer fields and the Device menu changed (after a passing read).
    virtual void WorkspaceChanged() {}

    // A pass ended: with its pass text shown (passed) or through the failure ending.
    virtual void PassEnded(bool /*passed*/) {}
};

}  // namespace kvqor
