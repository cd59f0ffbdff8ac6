#pragma once
// The ports of the desktop: serial ports through QSerialPort, and the built-in simulated
// programmer.

#include <memory>

#include "app/Ports.h"

namespace kvqor::app {

std::unique_ptr<PortOpener> MakeDesktopPorts();

}  // namespace kvqor::app
