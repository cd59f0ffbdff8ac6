#include "app/Ports.h"

#include "link/PortName.h"

namespace kvqor::app {

QStringList PortBoxItems(const QStringList& systemPorts) {
    QStringList items{QStringLiteral("Com1"), QStringLiteral("Com2"), QStringLiteral("Com3"),
                      QStringLiteral("Com4")};
    QStringList firstFour;
    for (const QString& com : items)
        firstFour << QString::fromStdString(SystemPortPath(com.toStdString()));
    for (const QString& port : systemPorts) {
        const QString path = QString::fromStdString(SystemPortPath(port.toStdString()));
        if (!firstFour.contains(path) && !items.contains(port))
            items << port;
    }
    items << kSimulatedProgrammer;
    return items;
}

}  // namespace kvqor::app
