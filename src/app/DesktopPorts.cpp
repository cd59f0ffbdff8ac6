#include "app/DesktopPorts.h"

#include <QSerialPortInfo>

#include "link/PortName.h"
#include "wire/OpenPort.h"
#include "wire/SimWire.h"

namespace kvqor::app {

namespace {

class DesktopPorts : public PortOpener {
public:
    QStringList SystemPorts() override {
        QStringList names;
        for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
            names << info.portName();
        return names;
    }

    std::unique_ptr<Wire> Open(const QString& entry, QString& error) override {
        const bool simulated = entry == kSimulatedProgrammer;
        const std::string name = simulated ? std::string(kSimPortName) : entry.toStdString();
        OpenedPort port = OpenPort(name);
        if (!port.wire) {
            error = QStringLiteral("%1: %2").arg(QString::fromStdString(SystemPortPath(name)),
                                                 QString::fromStdString(port.error));
        }
        return std::move(port.wire);
    }
};

}  // namespace

std::unique_ptr<PortOpener> MakeDesktopPorts() {
    return std::make_unique<DesktopPorts>();
}

}  // namespace kvqor::app
