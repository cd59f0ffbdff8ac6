#include "sim/VirtualProgrammer.h"

namespace kvqor::sim {

VirtualProgrammer::VirtualProgrammer(VirtualClock& clock, VirtualWire& wire, FirmwareSettings settings)
    : clock_(clock), wire_(wire), firmware_(std::move(settings)) {
    wire_.SetPeer([this](std::uint8_t b) { FromPc(b); });
}

VirtualProgrammer::~VirtualProgrammer() {
    wire_.SetPeer(nullptr);
}

std::vector<std::string> VirtualProgrammer::CommandTexts() const {
    std::vector<std::string> texts;
    for (const auto& c : firmware_.Commands())
        texts.push_back(c.command);
    return texts;
}

void VirtualProgrammer::Reconnect() {
    firmware_.Reset();
    wire_.Reopen();
}

void VirtualProgrammer::FromPc(std::uint8_t b) {
    firmware_.Receive(b, clock_.NowMicros());
    Schedule();
}

void VirtualProgrammer::Schedule() {
    const Micros next = firmware_.NextOutputTime();
    if (next == kNever || next >= wakeAt_)
        return;
    wakeAt_ = next;
    clock_.AtMicros(next, [this, alive = std::weak_ptr<bool>(alive_), next] {
        if (alive.expired())
            return;
        if (wakeAt_ == next)
            wakeAt_ = kNever;
        Deliver();
    });
}

void VirtualProgrammer::Deliver() {
    for (const Output& o : firmware_.TakeDue(clock_.NowMicros())) {
        if (o.kind == Output::Kind::DropLine) {
            wire_.Drop();
        } else {
            wire_.DeliverNow(o.byte);
        }
    }
    Schedule();
}

}  // namespace kvqor::sim
