#pragma once
// The terminal that every programmer of a run shares. Each port runs its job on a thread of its
// own; whatever needs the operator goes through here, so that one question is asked however many
// ports it concerns, and the output of the ports never interleaves:
//   - the end of each pass, and with --repeat the Enter/q prompt that starts the next pass on
//     every port at once (a round);
//   - the stop question after Ctrl-C, asked once for all ports and answered for all;
//   - the message boxes of the core, printed as lines on standard error;
//   - the progress bar, drawn from each port's gauge by the thread that watches the terminal.
// Every method may be called from any thread.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/ProgressBar.h"
#include "cli/Report.h"
#include "link/Host.h"

namespace kvqor::cli {

enum class NextPass { Run, Exit };

struct ConsoleSettings {
    bool repeat = false;       // production mode: Enter runs the next pass, q exits
    bool interactive = false;  // standard input is a terminal: the stop question waits for an answer
    bool progressBar = false;  // standard output is a terminal that shows the bar
    bool printPasses = true;   // with --repeat, print each round as it ends (not with --json)
    bool multiPort = false;    // tag lines with the port's label
    int width = 80;            // terminal columns, for the bar
};

// What the console asks of a port. `post` runs a task on the port's own thread, inside its waits;
// the others are such tasks: `interrupt` (Ctrl-C), `terminate` (SIGTERM), and `stopConfirmed`,
// posted when the port's stop question was answered Yes.
struct PortHooks {
    std::function<void(std::function<void()>)> post;
    std::function<void()> interrupt;
    std::function<void()> terminate;
    std::function<void()> stopConfirmed;
};

// One port's gauge and current line, written by its thread and read by the bar.
class ProgressSlot {
public:
    void SetText(std::string_view text);
    void Show(std::uint16_t max);
    void SetValue(std::uint16_t value);
    void Hide();
    ProgressView Get() const;

private:
    mutable std::mutex mutex_;
    ProgressView view_;
};

class Console {
public:
    Console(ConsoleSettings settings, std::ostream& out, std::ostream& err, std::vector<std::string> labels);
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;

    const ConsoleSettings& Settings() const { return settings_; }
    const std::string& Label(std::size_t port) const { return ports_[port].label; }

    // --- from a port's thread
    // The port's job starts; from now on Ctrl-C reaches it. Every port counts as running from
    // the start, so a round never closes before a port that is slow to start has reported.
    void Attach(std::size_t port, PortHooks hooks);
    // The port's job is over; nothing is posted to it any more.
    void Detach(std::size_t port);
    // A pass ended (passed or failed). Without --repeat: Exit at once. With it: waits until every
    // running port has ended the same round, prints the round, asks Enter/q and gives all ports
    // the same answer; after a confirmed stop, or at the end of the input, Exit.
    NextPass PassDone(std::size_t port, const PassRecord& pass);
    // The stop question ("Do you want to Stop Command..?"). Without a terminal on standard input,
    // or once the input has ended, Yes at once. Several ports stopped by one Ctrl-C share one
    // question and one answer.
    bool AskStop(std::size_t port);
    // A message box of the core, as a line on standard error; the same text twice in a row from
    // one port (a lost line complains once per character) is printed once.
    void Message(std::size_t port, MessageKind kind, std::string_view text);
    // Whether the ports need to keep their slots up to date.
    bool ProgressShown() const { return settings_.progressBar; }
    ProgressSlot& Progress(std::size_t port) { return ports_[port].progress; }

    // --- from the thread that watches the terminal
    void Input(std::string line);
    void InputClosed();
    // Ctrl-C: during a pass, Stop on every port (the question follows); at the Enter/q prompt,
    // Exit; while the question is open, Yes.
    void Interrupt();
    // Whether a Ctrl-C still asks the ports to stop (it does not once the question was answered
    // No). A port checks this when its posted interrupt finally runs.
    bool StopWanted();
    // SIGTERM, SIGHUP: every port stops at once without a question, and no further pass starts.
    void Terminate();
    // The stop question or the Enter/q prompt waits for a line.
    bool WaitsForInput();
    // Redraws the bar (on a terminal, while no question or prompt is open).
    void DrawProgress();
    // Something to do every tick of the terminal loop besides the bar (flushing the trace).
    void OnTick(std::function<void()> tick) { tick_ = std::move(tick); }
    // Whether the terminal loop needs to tick at all.
    bool NeedsTicks() const { return settings_.progressBar || tick_ != nullptr; }
    // The terminal loop's tick, ten times a second: the bar and the tick hook.
    void Tick();
    // Removes the bar from the screen.
    void ClearProgress();

private:
    struct Port {
        std::string label;
        bool active = true;        // until Detach
        PortHooks hooks;           // empty until Attach
        std::size_t reported = 0;  // passes reported so far
        PassRecord last;
        std::string lastMessage;
        ProgressSlot progress;
    };
    enum class RoundState { Collecting, Prompting };

    std::string Prefix(std::size_t port) const;
    bool AskStopLocked(std::unique_lock<std::mutex>& lock, std::size_t port);
    void ClearBarLocked();
    // Moves the round on as far as the reports and the input allow.
    void AdvanceLocked();
    void ShowPromptLocked();
    void DecideLocked(NextPass next);
    void ConsumeQuestionInputLocked();
    void AnswerLocked(bool yes);

    const ConsoleSettings settings_;
    std::ostream& out_;
    std::ostream& err_;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Port> ports_;

    std::deque<std::string> input_;
    bool inputClosed_ = false;
    bool terminated_ = false;
    bool stopAll_ = false;  // no further round starts

    RoundState state_ = RoundState::Collecting;
    std::size_t round_ = 1;         // the round being collected
    std::size_t decidedRound_ = 0;  // the last round answered
    NextPass decision_ = NextPass::Exit;

    std::size_t stopRound_ = 0;      // Ctrl-C presses that stopped passes
    std::size_t answeredRound_ = 0;  // the last of them the question was answered for
    bool questionOpen_ = false;
    bool answer_ = true;

    bool barShown_ = false;
    std::function<void()> tick_;  // set before the ports start
};

}  // namespace kvqor::cli
