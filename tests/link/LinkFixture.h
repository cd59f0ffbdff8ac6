#pragma once
// A link on the virtual clock with a line whose far end the test scripts.

#include <gtest/gtest.h>

#include "link/Link.h"
#include "sim/VirtualHost.h"
#include "sim/VirtualWire.h"

namespace kvqor {

class LinkFixture : public ::testing::Test {
protected:
    LinkFixture() { link.SetWire(&wire); }

    // A button press (a UI event) at time `at`.
    void PressAt(Millis at, std::function<void()> press) { clock.At(at, std::move(press)); }

    sim::VirtualClock clock;
    sim::VirtualHost host{clock};
    sim::VirtualWire wire{clock};
    RunFlags flags;
    Link link{host, flags};
};

}  // namespace kvqor
