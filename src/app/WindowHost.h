#pragma once
// The Host of the desktop program: waits run Qt's event loop, so the window repaints and its
// buttons work while an operation waits; the stop question and the message boxes go through the
// window's Dialogs; status texts go to the status bar.

#include <QElapsedTimer>
#include <functional>

#include "app/Dialogs.h"
#include "link/Host.h"

namespace kvqor::app {

class WindowHost : public Host {
public:
    explicit WindowHost(Dialogs& dialogs);

    // Where ShowStatus texts go (the main window's status bar).
    void SetStatusSink(std::function<void(const QString&)> sink) { status_ = std::move(sink); }
    Dialogs& GetDialogs() { return dialogs_; }

    Millis Now() override;
    void PumpEvents(Millis wakeAt) override;
    void Pause(Millis ms) override;

    bool Confirm(std::string_view text) override;
    void Message(MessageKind kind, std::string_view text) override;
    void ShowStatus(std::string_view text) override;

private:
    Dialogs& dialogs_;
    std::function<void(const QString&)> status_;
    QElapsedTimer clock_;
};

}  // namespace kvqor::app
