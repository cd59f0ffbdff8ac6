#pragma once
// What a port's job runs on: the host of its thread and the line it talks over. The program
// makes them with Qt (an event loop per thread, a serial port or the built-in simulated
// programmer); tests make them on a virtual clock.

#include <functional>
#include <string>

#include "link/Host.h"
#include "link/Wire.h"

namespace kvqor::cli {

class PortBackend {
public:
    virtual ~PortBackend() = default;

    virtual Host& GetHost() = 0;
    // The open line; nullptr when the port could not be opened (OpenError() says why).
    virtual Wire* GetWire() = 0;
    virtual std::string OpenError() const = 0;
    // Runs `task` on the port's thread, inside one of its waits. May be called from any thread.
    virtual void Post(std::function<void()> task) = 0;
};

}  // namespace kvqor::cli
