#pragma once
// The entries of the port box and how each is opened: "Com1" to "Com4" (the platform's first four
// serial ports), the other serial ports the system reports, and the built-in simulated programmer
// for trying every function without hardware.

#include <QString>
#include <QStringList>
#include <memory>

#include "link/Wire.h"

namespace kvqor::app {

inline const QString kSimulatedProgrammer = QStringLiteral("Simulated programmer");

// Com1 to Com4, then the system ports not already among them, then the simulated programmer.
QStringList PortBoxItems(const QStringList& systemPorts);

class PortOpener {
public:
    virtual ~PortOpener() = default;

    // The serial ports the system reports now, by system name ("ttyUSB0").
    virtual QStringList SystemPorts() = 0;

    // Opens the port of a box entry at 19200 baud, 8 data bits, no parity, 1 stop bit. On failure
    // nullptr, with `error` saying why in the platform's words.
    virtual std::unique_ptr<Wire> Open(const QString& entry, QString& error) = 0;
};

}  // namespace kvqor::app
