#pragma once
// The Host of the desktop program: waits run Qt's event loop (QtEventHost), so the window repaints
// and its buttons work while an operation waits; the stop question and the message boxes go
// through the window's Dialogs; status texts go to the status bar.

#include <functional>

#include "app/Dialogs.h"
#include "wire/QtEventHost.h"

namespace kvqor::app {

class WindowHost : public QtEventHost {
public:
    explicit WindowHost(Dialogs& dialogs) : dialogs_(dialogs) {}

    // Where ShowStatus texts go (the main window's status bar).
    void SetStatusSink(std::function<void(const QString&)> sink) { status_ = std::move(sink); }

    bool Confirm(std::string_view text) override;
    void Message(MessageKind kind, std::string_view text) override;
    void ShowStatus(std::string_view text) override;

private:
    Dialogs& dialogs_;
    std::function<void(const QString&)> status_;
};

}  // namespace kvqor::app
