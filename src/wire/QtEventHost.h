#pragma once
// The Host of the Qt front ends: time from a monotonic clock, and waits that sleep in Qt's event
// loop until something happens (a byte arrives, room in the output buffer, a button press, a
// timer) or the deadline passes, so a wait uses no CPU. The window and the command line derive
// from it and answer the stop question, the message boxes and the status line their own way.

#include <QElapsedTimer>
#include <QTimer>

#include "link/Host.h"

namespace kvqor {

class QtEventHost : public Host {
public:
    QtEventHost();

    // Milliseconds since this host was made, on a monotonic clock.
    Millis Now() override;
    // Handles pending events; with none pending, sleeps until one comes or until `wakeAt`.
    // When `wakeAt` has passed (a look at the events between characters), events are handled
    // at most every 0.25 ms; a user cannot tell, and a transfer runs at the line's speed.
    // Needs a QCoreApplication (or QApplication) on this thread.
    void PumpEvents(Millis wakeAt) override;
    // Sleeps without handling any event.
    void Pause(Millis ms) override;

private:
    QElapsedTimer clock_;
    // Wakes the event loop at the deadline. A precise timer: a coarse one may fire several
    // per cent early, which over a 1.5 s wait is longer than a character takes.
    QTimer deadline_;
    QElapsedTimer lastPump_;
    static constexpr qint64 kPumpSpacingNs = 250'000;  // 0.25 ms
};

}  // namespace kvqor
