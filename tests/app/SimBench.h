#pragma once
// The five windows against the simulated programmer on the virtual clock: the programmer answers
// on the port box entry given, boxes and dialogs are scripted.

#include "AppTestSupport.h"
#include "app/Forms.h"
#include "app/QORForm.h"
#include "sim/VirtualProgrammer.h"

namespace kvqor::app::test {

struct SimBench {
    sim::VirtualClock clock;
    sim::VirtualWire line{clock};
    sim::VirtualProgrammer programmer{clock, line};
    ScriptedDialogs dialogs;
    VirtualWindowHost host{dialogs, clock};
    TestPorts ports;
    Forms forms{};

    explicit SimBench(const QString& portEntry = QStringLiteral("Com1")) {
        ports.lines[portEntry] = [this] { return std::make_unique<SharedWire>(line); };
        forms = CreateForms(dialogs, &host, &ports);
    }
    ~SimBench() { delete forms.QORForm; }
    SimBench(const SimBench&) = delete;
    SimBench& operator=(const SimBench&) = delete;

    TQORForm& Form() { return *forms.QORForm; }
};

}  // namespace kvqor::app::test
