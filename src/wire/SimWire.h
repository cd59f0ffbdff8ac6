#pragma once
// The built-in simulated programmer as a line the front ends can open like a port ("sim"): the
// firmware of sim/ runs in-process on Qt timers, in real time, paced at the line rate, so the
// program can be tried with no hardware and no pseudo-terminal. It lives here, beside the other
// Qt wire, so that sim/ stays free of Qt.
//
// What the PC puts on the line reaches the firmware at once, which paces it as the line would;
// nothing waits in an output buffer, so DiscardOutput() has nothing to drop. A dropped line (a
// fault) closes the wire until Reconnect().

#include <QTimer>
#include <chrono>
#include <cstdint>
#include <deque>
#include <string_view>

#include "link/Wire.h"
#include "sim/Firmware.h"

namespace kvqor {

// The port name the window and the command line offer for the built-in simulated programmer.
inline constexpr std::string_view kSimPortName = "sim";
bool IsSimPort(std::string_view name);

class SimWire : public Wire {
public:
    explicit SimWire(sim::FirmwareSettings settings = {});
    SimWire(const SimWire&) = delete;
    SimWire& operator=(const SimWire&) = delete;

    // The programmer's firmware: its chips, settings and fault plan.
    sim::Firmware& Firmware() { return firmware_; }
    // After a dropped line: the line back, the firmware started afresh.
    void Reconnect();

    bool IsOpen() const override { return open_; }
    std::size_t OutFree() const override;
    void Put(std::string_view chars) override;
    bool CharReady() const override { return !rx_.empty(); }
    std::uint8_t TakeChar() override;
    void DiscardInput() override { rx_.clear(); }
    void DiscardOutput() override {}

private:
    sim::Micros Now() const;
    void Schedule();
    void Deliver();

    sim::Firmware firmware_;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    QTimer timer_;
    std::deque<std::uint8_t> rx_;
    bool open_ = true;
};

}  // namespace kvqor
