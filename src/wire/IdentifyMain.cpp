// kvqor-identify: opens a port, identifies the programmer on it and prints its code.
// kvqor-identify [PORT]   PORT: sim (the default), Com1..Com4, a system name or a path.

#include <QCoreApplication>
#include <iostream>

#include "link/Identify.h"
#include "link/PortName.h"
#include "wire/OpenPort.h"
#include "wire/QtEventHost.h"
#include "wire/SimWire.h"

namespace {

class ConsoleHost : public kvqor::QtEventHost {
public:
    bool Confirm(std::string_view) override { return false; }
    void Message(kvqor::MessageKind, std::string_view text) override { std::cerr << text << "\n"; }
    void ShowStatus(std::string_view text) override { std::cout << text << "\n"; }
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const std::string port = argc > 1 ? argv[1] : std::string(kvqor::kSimPortName);
    if (port == "--help" || argc > 2) {
        std::cout << "Usage: kvqor-identify [PORT]\nIdentifies the programmer on PORT (sim, Com1..Com4, "
                     "a system name or a path) and prints its code.\n";
        return argc > 2 ? 2 : 0;
    }
    kvqor::OpenedPort opened = kvqor::OpenPort(port);
    if (!opened.wire) {
        std::cerr << "kvqor-identify: cannot open " << port << ": " << opened.error << "\n";
        return 1;
    }
    ConsoleHost host;
    kvqor::RunFlags flags;
    kvqor::Link link(host, flags);
    link.SetWire(opened.wire.get());
    const kvqor::Identification id = kvqor::ReadVersion(link, kvqor::PortLabel(port));
    if (!id.found)
        return 1;
    std::cout << "Bios Code: " << id.code << "\n";
    return 0;
}
