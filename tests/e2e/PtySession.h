#pragma once
// A Session on a real serial port: the QSerialPort wire on a pseudo-terminal served by the
// simulated programmer, in real time on Qt's event loop. For end-to-end tests and benchmarks.

#include <QTimer>
#include <stdexcept>
#include <string>

#include "ops/Session.h"
#include "tests/ops/RecordingDisplay.h"
#include "tests/wire/ServedPty.h"
#include "wire/QtEventHost.h"
#include "wire/SerialWire.h"

namespace kvqor {

// A host with nobody at the keyboard: no stop question is expected, boxes are kept.
class UnattendedHost : public QtEventHost {
public:
    bool Confirm(std::string_view text) override {
        boxes.emplace_back(text);
        return true;
    }
    void Message(MessageKind, std::string_view text) override { boxes.emplace_back(text); }
    void ShowStatus(std::string_view) override {}
    std::vector<std::string> boxes;
};

class PtySession {
public:
    explicit PtySession(sim::FirmwareSettings settings = {}) : pty(std::move(settings)) {}

    // Serves the pty, opens it and identifies the programmer.
    void Connect() {
        pty.Start();
        if (!wire.Open(pty.Path()))
            throw std::runtime_error("cannot open " + pty.Path() + ": " + wire.ErrorText());
        session.AttachWire(&wire, pty.Path());
        session.ReadVersion();
        if (!session.HardwareFound())
            throw std::runtime_error("no programmer on " + pty.Path());
    }

    // One pass of `op`, then Exit; true when it passed.
    bool RunOnce(Operation op) {
        bool passed = false;
        display.onPassEnded = [this, &passed](bool ok) {
            passed = ok;
            if (ok)
                session.StopRunClick();
        };
        // Run is pressed once the operation waits for it (entering the run state clears requests).
        QTimer::singleShot(0, [this] { session.StartRunClick(); });
        session.RunOperation(op);
        display.onPassEnded = nullptr;
        return passed;
    }

    ServedPty pty;
    UnattendedHost host;
    RecordingDisplay display;
    SerialWire wire;
    Session session{host, display};
};

}  // namespace kvqor
