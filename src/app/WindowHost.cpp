#include "app/WindowHost.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <limits>

namespace kvqor::app {

namespace {
QString FromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
}  // namespace

WindowHost::WindowHost(Dialogs& dialogs) : dialogs_(dialogs) {
    clock_.start();
}

Millis WindowHost::Now() {
    return clock_.elapsed();
}

void WindowHost::PumpEvents(Millis wakeAt) {
    const Millis now = Now();
    if (wakeAt <= now) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return;
    }
    // Sleep in the event loop until something happens; a timer bounds the sleep by the deadline.
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    if (wakeAt != kForever) {
        const Millis wait = std::min<Millis>(wakeAt - now, std::numeric_limits<int>::max());
        deadline.start(static_cast<int>(wait));
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void WindowHost::Pause(Millis ms) {
    QThread::msleep(static_cast<unsigned long>(std::max<Millis>(ms, 0)));
}

bool WindowHost::Confirm(std::string_view text) {
    return dialogs_.Confirm(FromView(text));
}

void WindowHost::Message(MessageKind kind, std::string_view text) {
    dialogs_.Message(kind, FromView(text));
}

void WindowHost::ShowStatus(std::string_view text) {
    if (status_)
        status_(FromView(text));
}

}  // namespace kvqor::app
