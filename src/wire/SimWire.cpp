#include "wire/SimWire.h"

#include <algorithm>
#include <cctype>

namespace kvqor {

bool IsSimPort(std::string_view name) {
    return std::equal(name.begin(), name.end(), kSimPortName.begin(), kSimPortName.end(),
                      [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

SimWire::SimWire(sim::FirmwareSettings settings) : firmware_(std::move(settings)) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { Deliver(); });
}

sim::Micros SimWire::Now() const {
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start_)
        .count();
}

void SimWire::Reconnect() {
    firmware_.Reset();
    rx_.clear();
    open_ = true;
}

std::size_t SimWire::OutFree() const {
    return open_ ? 4096 : 0;
}

void SimWire::Put(std::string_view chars) {
    if (!open_)
        return;
    for (char c : chars)
        firmware_.Receive(static_cast<std::uint8_t>(c), Now());
    Schedule();
}

std::uint8_t SimWire::TakeChar() {
    const std::uint8_t b = rx_.front();
    rx_.pop_front();
    return b;
}

void SimWire::Schedule() {
    const sim::Micros next = firmware_.NextOutputTime();
    if (next == sim::kNever) {
        timer_.stop();
        return;
    }
    timer_.start(std::chrono::milliseconds(std::max<Millis>(0, sim::MillisCeil(next - Now()))));
}

void SimWire::Deliver() {
    for (const sim::Output& o : firmware_.TakeDue(Now())) {
        if (o.kind == sim::Output::Kind::DropLine) {
            open_ = false;
            rx_.clear();
        } else if (open_) {
            rx_.push_back(o.byte);
        }
    }
    Schedule();
}

}  // namespace kvqor
