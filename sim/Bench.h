#pragma once
// Everything a test of the PC side needs, wired together: the virtual clock, a Host on it, the
// virtual line, the simulated programmer on its far end, and a Link on its near end.
//
//   sim::Bench bench;
//   bench.programmer.Chip("03").Fill(0x00);
//   bench.programmer.Faults().Add(sim::NakWith({sim::Exchange::Verify, 3}, "E013"));
//   ReadVersion(bench.link, "Com1");

#include "link/Link.h"
#include "sim/VirtualHost.h"
#include "sim/VirtualProgrammer.h"
#include "sim/VirtualWire.h"

namespace kvqor::sim {

struct Bench {
    explicit Bench(FirmwareSettings settings = {}) : programmer(clock, wire, std::move(settings)) {
        link.SetWire(&wire);
    }
    Bench(const Bench&) = delete;
    Bench& operator=(const Bench&) = delete;

    VirtualClock clock;
    VirtualHost host{clock};
    VirtualWire wire{clock};
    VirtualProgrammer programmer;
    RunFlags flags;
    Link link{host, flags};
};

}  // namespace kvqor::sim
