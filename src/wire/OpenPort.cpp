#include "wire/OpenPort.h"

#include "link/PortName.h"
#include "wire/SerialWire.h"
#include "wire/SimWire.h"

namespace kvqor {

OpenedPort OpenPort(std::string_view name) {
    if (IsSimPort(name))
        return {std::make_unique<SimWire>(), {}};
    auto serial = std::make_unique<SerialWire>();
    if (!serial->Open(SystemPortPath(name)))
        return {nullptr, serial->ErrorText()};
    return {std::move(serial), {}};
}

}  // namespace kvqor
