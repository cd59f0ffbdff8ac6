#include "cli/Console.h"

#include <algorithm>
#include <cctype>

#include "link/Link.h"

namespace kvqor::cli {

namespace {

constexpr std::string_view kRunPrompt = "Enter: Run the next device, q: Exit";

std::string Trimmed(std::string_view text) {
    auto begin = text.find_first_not_of(" \t\r");
    if (begin == std::string_view::npos)
        return {};
    auto end = text.find_last_not_of(" \t\r");
    std::string out(text.substr(begin, end - begin + 1));
    std::transform(out.begin(), out.end(), out.begin(),
                   [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
    return out;
}

}  // namespace

// --- ProgressSlot

void ProgressSlot::SetText(std::string_view text) {
    std::lock_guard lock(mutex_);
    view_.text = text;
}

void ProgressSlot::Show(std::uint16_t max) {
    std::lock_guard lock(mutex_);
    view_.visible = true;
    view_.max = max;
    view_.value = 0;
}

void ProgressSlot::SetValue(std::uint16_t value) {
    std::lock_guard lock(mutex_);
    view_.value = value;
}

void ProgressSlot::Hide() {
    std::lock_guard lock(mutex_);
    view_.visible = false;
}

ProgressView ProgressSlot::Get() const {
    std::lock_guard lock(mutex_);
    return view_;
}

// --- Console

Console::Console(ConsoleSettings settings, std::ostream& out, std::ostream& err,
                 std::vector<std::string> labels)
    : settings_(settings), out_(out), err_(err), ports_(labels.size()) {
    for (std::size_t i = 0; i < labels.size(); ++i)
        ports_[i].label = labels[i];
}

std::string Console::Prefix(std::size_t port) const {
    return settings_.multiPort ? ports_[port].label + ": " : std::string();
}

void Console::Attach(std::size_t port, PortHooks hooks) {
    std::lock_guard lock(mutex_);
    Port& p = ports_[port];
    p.hooks = std::move(hooks);
    // A Ctrl-C or a SIGTERM that came while this port was still starting up applies to it too.
    if (terminated_) {
        p.hooks.post(p.hooks.terminate);
    } else if (stopAll_) {
        p.hooks.post(p.hooks.interrupt);
    }
}

void Console::Detach(std::size_t port) {
    std::lock_guard lock(mutex_);
    ports_[port].active = false;
    ports_[port].hooks = {};
    AdvanceLocked();
}

NextPass Console::PassDone(std::size_t port, const PassRecord& pass) {
    std::unique_lock lock(mutex_);
    Port& p = ports_[port];
    ++p.reported;
    p.last = pass;
    p.lastMessage.clear();
    if (!settings_.repeat)
        return NextPass::Exit;
    const std::size_t round = p.reported;
    AdvanceLocked();
    changed_.wait(lock, [&] { return decidedRound_ >= round; });
    return decision_;
}

void Console::AdvanceLocked() {
    if (!settings_.repeat)
        return;
    if (state_ == RoundState::Collecting) {
        bool anyActive = false;
        for (const Port& p : ports_) {
            if (!p.active)
                continue;
            anyActive = true;
            if (p.reported < round_)
                return;  // still in this round's pass
        }
        if (!anyActive)
            return;
        if (settings_.printPasses) {
            ClearBarLocked();
            for (std::size_t i = 0; i < ports_.size(); ++i) {
                if (ports_[i].active && ports_[i].reported == round_)
                    out_ << PassText(ports_[i].last, Prefix(i));
            }
            out_.flush();
        }
        if (stopAll_ || terminated_) {
            DecideLocked(NextPass::Exit);
            return;
        }
        state_ = RoundState::Prompting;
        ShowPromptLocked();
    }
    // Prompting: the next line of input decides.
    while (!input_.empty()) {
        const std::string line = Trimmed(input_.front());
        input_.pop_front();
        if (line.empty()) {
            DecideLocked(NextPass::Run);
            return;
        }
        if (line == "q" || line == "quit" || line == "exit") {
            DecideLocked(NextPass::Exit);
            return;
        }
        ShowPromptLocked();
    }
    if (inputClosed_)
        DecideLocked(NextPass::Exit);
}

void Console::ShowPromptLocked() {
    ClearBarLocked();
    // Without a terminal nobody types after the prompt: end its line so the log stays tidy.
    err_ << kRunPrompt << (settings_.interactive ? " " : "\n");
    err_.flush();
}

void Console::DecideLocked(NextPass next) {
    decision_ = next;
    decidedRound_ = round_;
    ++round_;
    state_ = RoundState::Collecting;
    changed_.notify_all();
}

bool Console::AskStop(std::size_t port) {
    std::unique_lock lock(mutex_);
    const bool yes = AskStopLocked(lock, port);
    // A stop confirmed while a command frame was being sent would otherwise leave the pass
    // waiting out the reply's limit (15 s for an erase) after the frame's remaining characters.
    const Port& p = ports_[port];
    if (yes && p.hooks.post && p.hooks.stopConfirmed)
        p.hooks.post(p.hooks.stopConfirmed);
    return yes;
}

bool Console::AskStopLocked(std::unique_lock<std::mutex>& lock, std::size_t port) {
    if (!settings_.interactive || terminated_ || (inputClosed_ && input_.empty())) {
        // Nobody can answer: a script that is stopped wants to stop, and must never hang here.
        ClearBarLocked();
        err_ << Prefix(port) << kStopQuestion << " Yes\n";
        err_.flush();
        return true;
    }
    if (stopRound_ > 0 && answeredRound_ == stopRound_)
        return answer_;  // this Ctrl-C's question was answered for another port already
    if (!questionOpen_) {
        questionOpen_ = true;
        ClearBarLocked();
        err_ << kStopQuestion << " [Y/n] ";
        err_.flush();
        ConsumeQuestionInputLocked();
    }
    const std::size_t round = stopRound_;
    changed_.wait(lock, [&] { return !questionOpen_ && answeredRound_ >= round; });
    return answer_;
}

void Console::ConsumeQuestionInputLocked() {
    while (!input_.empty()) {
        const std::string line = Trimmed(input_.front());
        input_.pop_front();
        if (line.empty() || line == "y" || line == "yes") {
            AnswerLocked(true);
            return;
        }
        if (line == "n" || line == "no") {
            AnswerLocked(false);
            return;
        }
        err_ << "Please answer y or n: ";
        err_.flush();
    }
    if (inputClosed_)
        AnswerLocked(true);
}

void Console::AnswerLocked(bool yes) {
    answer_ = yes;
    answeredRound_ = stopRound_;
    questionOpen_ = false;
    // No: the passes go on, and so may the rounds after them.
    stopAll_ = yes || terminated_;
    changed_.notify_all();
}

void Console::Message(std::size_t port, MessageKind kind, std::string_view text) {
    std::lock_guard lock(mutex_);
    Port& p = ports_[port];
    std::string line(text);
    std::replace(line.begin(), line.end(), '\n', ' ');
    if (line == p.lastMessage)
        return;
    p.lastMessage = line;
    ClearBarLocked();
    err_ << "kvqor-cli: " << p.label << ": " << (kind == MessageKind::Warning ? "warning: " : "")
         << Printable(line) << "\n";
    err_.flush();
}

void Console::Input(std::string line) {
    std::lock_guard lock(mutex_);
    input_.push_back(std::move(line));
    if (questionOpen_) {
        ConsumeQuestionInputLocked();
    } else if (state_ == RoundState::Prompting) {
        AdvanceLocked();
    }
}

void Console::InputClosed() {
    std::lock_guard lock(mutex_);
    inputClosed_ = true;
    if (questionOpen_) {
        ConsumeQuestionInputLocked();
    } else if (state_ == RoundState::Prompting) {
        AdvanceLocked();
    }
}

void Console::Interrupt() {
    std::lock_guard lock(mutex_);
    if (questionOpen_) {
        // A second Ctrl-C answers the open question: stop.
        err_ << "\n";
        AnswerLocked(true);
        return;
    }
    stopAll_ = true;
    if (state_ == RoundState::Prompting) {
        err_ << "\n";
        err_.flush();
        DecideLocked(NextPass::Exit);
        return;
    }
    ++stopRound_;
    // Ports that already ended this round's pass wait for the round's answer, which is now Exit.
    for (Port& p : ports_) {
        if (p.active && p.hooks.post && p.reported < round_)
            p.hooks.post(p.hooks.interrupt);
    }
}

bool Console::StopWanted() {
    std::lock_guard lock(mutex_);
    return stopAll_;
}

void Console::Terminate() {
    std::lock_guard lock(mutex_);
    terminated_ = true;
    stopAll_ = true;
    if (questionOpen_)
        AnswerLocked(true);
    if (state_ == RoundState::Prompting)
        DecideLocked(NextPass::Exit);
    for (Port& p : ports_) {
        if (p.active && p.hooks.post)
            p.hooks.post(p.hooks.terminate);
    }
}

bool Console::WaitsForInput() {
    std::lock_guard lock(mutex_);
    return questionOpen_ || state_ == RoundState::Prompting;
}

void Console::DrawProgress() {
    if (!settings_.progressBar)
        return;
    std::lock_guard lock(mutex_);
    if (questionOpen_ || state_ == RoundState::Prompting)
        return;
    std::vector<ProgressView> views;
    views.reserve(ports_.size());
    for (const Port& p : ports_) {
        ProgressView v = p.progress.Get();
        v.label = p.label;
        views.push_back(std::move(v));
    }
    const std::string line = RenderProgress(views, settings_.width);
    if (line.empty()) {
        ClearBarLocked();
        return;
    }
    out_ << '\r' << line << "\x1b[K";
    out_.flush();
    barShown_ = true;
}

void Console::Tick() {
    DrawProgress();
    if (tick_)
        tick_();
}

void Console::ClearProgress() {
    std::lock_guard lock(mutex_);
    ClearBarLocked();
}

void Console::ClearBarLocked() {
    if (!barShown_)
        return;
    out_ << "\r\x1b[K";
    out_.flush();
    barShown_ = false;
}

}  // namespace kvqor::cli
