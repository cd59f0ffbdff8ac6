#pragma once
// The simulated programmer on the virtual line: the firmware takes the bytes the PC puts on a
// VirtualWire and its answers arrive in the PC's receive buffer at their paced times on the
// VirtualClock. A dropped line (a fault) closes the wire.

#include <memory>
#include <string_view>
#include <vector>

#include "sim/Firmware.h"
#include "sim/VirtualClock.h"
#include "sim/VirtualWire.h"

namespace kvqor::sim {

class VirtualProgrammer {
public:
    VirtualProgrammer(VirtualClock& clock, VirtualWire& wire, FirmwareSettings settings = {});
    ~VirtualProgrammer();
    VirtualProgrammer(const VirtualProgrammer&) = delete;
    VirtualProgrammer& operator=(const VirtualProgrammer&) = delete;

    sim::Firmware& Firmware() { return firmware_; }
    FirmwareSettings& Settings() { return firmware_.Settings(); }
    sim::Socket& Socket() { return firmware_.Socket(); }
    // The chip answering device code `code` ("03"); with no code, the one part the socket holds.
    sim::Chip& Chip(std::string_view code = {}) { return firmware_.Chip(code); }
    FaultPlan& Faults() { return firmware_.Faults(); }
    const std::vector<CommandRecord>& Commands() const { return firmware_.Commands(); }
    // The command characters received so far, in order.
    std::vector<std::string> CommandTexts() const;

    // The line back after a drop (the adapter plugged in again); the firmware starts afresh.
    void Reconnect();

private:
    void FromPc(std::uint8_t b);
    void Schedule();
    void Deliver();

    VirtualClock& clock_;
    VirtualWire& wire_;
    sim::Firmware firmware_;
    Micros wakeAt_ = kNever;
    // Clock events outlive nothing: they check this before touching the programmer.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace kvqor::sim
