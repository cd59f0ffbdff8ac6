#include "app/DesktopPorts.h"

#include <QSerialPortInfo>

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

    std::unique_ptr<Wire> Open(const QString& /*entry*/, QString& error) override {
        error = QStringLiteral("serial line support is not built in yet");
        return nullptr;
    }
};

}  // namespace

std::unique_ptr<PortOpener> MakeDesktopPorts() {
    return std::make_unique<DesktopPorts>();
}

}  // namespace kvqor::app
