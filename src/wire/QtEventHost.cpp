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
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return;
    }
    if (wakeAt != kForever) {
        const Millis wait = std::min<Millis>(wakeAt - now, std::numeric_limits<int>::max());
        deadline_.start(std::chrono::milliseconds(wait));
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    deadline_.stop();
}

void QtEventHost::Pause(Millis ms) {
    if (ms > 0)
        QThread::msleep(static_cast<unsigned long>(ms));
}

}  // namespace kvqor
