#pragma once
// Opens a port by the name a user gives it: "sim" for the built-in simulated programmer,
// "Com1" to "Com4", a system port name ("ttyUSB0") or a path (a pseudo-terminal, a symlink).

#include <memory>
#include <string>
#include <string_view>

#include "link/Wire.h"

namespace kvqor {

struct OpenedPort {
    std::unique_ptr<Wire> wire;  // a SimWire or a SerialWire; null when it could not be opened
    std::string error;           // why not, in the system's words
};

OpenedPort OpenPort(std::string_view name);

}  // namespace kvqor
