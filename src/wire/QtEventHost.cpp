#include "wire/QtEventHost.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <limits>

namespace kvqor {

QtEventHost::QtEventHost() {
    clock_.start();
    deadline_.setSingleShot(true);
    deadline_.setTimerType(Qt::PreciseTimer);
}

Millis QtEventHost::Now() {
    return clock_.elapsed();
}

void QtEventHost::PumpEvents(Millis wakeAt) {
    const Millis now = Now();
    if (wakeAt <= now) {
        // These calls come once per character sent or taken. Handling events at most every
        // kPumpSpacingNs keeps Stop and the repainting live without a long transfer spending
        // its time in the event loop.
        if (lastPump_.isValid() && lastPump_.nsecsElapsed() < kPumpSpacingNs)
            return;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        lastPump_.start();
        return;
    }
    if (wakeAt != kForever) {
        const Millis wait = std::min<Millis>(wakeAt - now, std::numeric_limits<int>::max());
        deadline_.start(std::chrono::milliseconds(wait));
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    deadline_.stop();
    lastPump_.start();
}

void QtEventHost::Pause(Millis ms) {
    if (ms > 0)
        QThread::msleep(static_cast<unsigned long>(ms));
}

}  // namespace kvqor
