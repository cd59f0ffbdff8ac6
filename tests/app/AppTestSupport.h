#pragma once
// What the window tests run the program with: boxes and dialogs answered from a script and
// recorded, a window host on the virtual clock, and ports that lead to virtual lines.

#include <QCoreApplication>
#include <QDialog>
#include <QPlainTextEdit>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <vector>

#include "app/Dialogs.h"
#include "app/EditForm.h"
#include "app/Ports.h"
#include "app/WindowHost.h"
#include "sim/VirtualClock.h"
#include "sim/VirtualWire.h"

namespace kvqor::app::test {

struct Box {
    enum class Kind { Error, Plain, Warning, Question } kind;
    QString text;
    bool operator==(const Box&) const = default;
};

inline const char* KindName(Box::Kind k) {
    switch (k) {
        case Box::Kind::Error:
            return "Error";
        case Box::Kind::Plain:
            return "Plain";
        case Box::Kind::Warning:
            return "Warning";
        case Box::Kind::Question:
            return "Question";
    }
    return "?";
}

class ScriptedDialogs : public Dialogs {
public:
    void Message(MessageKind kind, const QString& text) override {
        const Box::Kind k = kind == MessageKind::Error   ? Box::Kind::Error
                            : kind == MessageKind::Plain ? Box::Kind::Plain
                                                         : Box::Kind::Warning;
        boxes.push_back({k, text});
    }
    bool Confirm(const QString& text) override {
        boxes.push_back({Box::Kind::Question, text});
        if (answers.empty()) {
            unanswered = true;
            return false;
        }
        const bool yes = answers.front();
        answers.pop_front();
        return yes;
    }
    QString OpenFileName(const QString& filter) override {
        filters << filter;
        return Take(openNames);
    }
    QString SaveFileName(const QString& filter) override {
        filters << filter;
        return Take(saveNames);
    }
    // Shows the window as exec() would, lets the test look at it, and closes it again.
    void ShowModal(QDialog& window) override {
        shown << window.objectName();
        window.show();
        QCoreApplication::processEvents();
        shownTitles << window.windowTitle();
        if (auto* edit = qobject_cast<TEditForm*>(&window))
            viewerTexts << edit->TextDisplay()->toPlainText();
        if (onShow)
            onShow(window);
        window.hide();
    }
    bool OpenInViewer(const QString& path) override {
        viewerPaths << path;
        return viewerWorks;
    }

    std::vector<Box> boxes;
    std::deque<bool> answers;
    bool unanswered = false;  // a question came with no scripted answer
    std::deque<QString> openNames;
    std::deque<QString> saveNames;
    QStringList filters;
    QStringList shown;
    QStringList shownTitles;
    QStringList viewerTexts;
    std::function<void(QDialog&)> onShow;
    QStringList viewerPaths;
    bool viewerWorks = true;

private:
    static QString Take(std::deque<QString>& names) {
        if (names.empty())
            return {};
        QString n = names.front();
        names.pop_front();
        return n;
    }
};

// The window's host with time on the virtual clock: a wait handles the window's pending events,
// then jumps to the next scheduled event (a byte, a scripted click) or its deadline.
class VirtualWindowHost : public WindowHost {
public:
    VirtualWindowHost(Dialogs& dialogs, sim::VirtualClock& clock) : WindowHost(dialogs), clock_(clock) {}

    Millis Now() override { return clock_.Now(); }
    void PumpEvents(Millis wakeAt) override {
        QCoreApplication::processEvents();
        if (clock_.RunDue())
            return;
        if (wakeAt <= clock_.Now())
            return;
        if (!clock_.HasPending() && wakeAt == kForever) {
            throw std::runtime_error(
                "a wait would sleep forever: nothing is scheduled and it has no deadline");
        }
        clock_.AdvanceTo(std::min(wakeAt, clock_.NextTime()));
    }
    void Pause(Millis ms) override { clock_.AdvanceTo(clock_.Now() + ms); }

private:
    sim::VirtualClock& clock_;
};

// Ports for tests: each entry opens the line a test gave it, or fails with the reason given.
class TestPorts : public PortOpener {
public:
    QStringList SystemPorts() override { return systemPorts; }
    std::unique_ptr<Wire> Open(const QString& entry, QString& error) override {
        opened << entry;
        if (auto it = lines.find(entry); it != lines.end())
            return it->second();
        error = failure;
        return nullptr;
    }

    QStringList systemPorts;
    std::map<QString, std::function<std::unique_ptr<Wire>()>> lines;
    QString failure = QStringLiteral("/dev/ttyS0: No such file or directory");
    QStringList opened;
};

// A wire the window owns that forwards to a VirtualWire the test keeps, so the test can read the
// line after the window let go of it.
class SharedWire : public Wire {
public:
    explicit SharedWire(sim::VirtualWire& line) : line_(line) {}
    bool IsOpen() const override { return line_.IsOpen(); }
    std::size_t OutFree() const override { return line_.OutFree(); }
    void Put(std::string_view chars) override { line_.Put(chars); }
    bool CharReady() const override { return line_.CharReady(); }
    std::uint8_t TakeChar() override { return line_.TakeChar(); }
    void DiscardInput() override { line_.DiscardInput(); }
    void DiscardOutput() override { line_.DiscardOutput(); }

private:
    sim::VirtualWire& line_;
};

}  // namespace kvqor::app::test
