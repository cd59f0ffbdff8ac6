#pragma once
// The program's five windows on the virtual clock, with scripted dialogs, test ports and a small
// programmer on "Com1".

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <memory>

#include "AppTestSupport.h"
#include "MiniProgrammer.h"
#include "app/Forms.h"
#include "app/QORForm.h"

namespace kvqor::app::test {

struct WindowFixture {
    sim::VirtualClock clock;
    ScriptedDialogs dialogs;
    VirtualWindowHost host{dialogs, clock};
    TestPorts ports;
    MiniProgrammer programmer{clock};
    Forms forms{};

    WindowFixture() {
        ports.lines[QStringLiteral("Com1")] = [this] {
            return std::make_unique<SharedWire>(programmer.Line());
        };
        forms = CreateForms(dialogs, &host, &ports);
    }
    ~WindowFixture() { delete forms.QORForm; }
    WindowFixture(const WindowFixture&) = delete;
    WindowFixture& operator=(const WindowFixture&) = delete;

    TQORForm& Form() { return *forms.QORForm; }
    template <class T>
    T* Find(const char* name) {
        return Form().findChild<T*>(QString::fromLatin1(name));
    }
    QLabel* Label(const char* name) { return Find<QLabel>(name); }
    QPushButton* Button(const char* name) { return Find<QPushButton>(name); }
    QLineEdit* Edit(const char* name) { return Find<QLineEdit>(name); }
    QAction* Action(const char* name) { return Find<QAction>(name); }
    QComboBox* Box(const char* name) { return Find<QComboBox>(name); }
    QMenu* Menu(const char* name) { return Find<QMenu>(name); }
    QString Line(int n) {
        return Label(QStringLiteral("DisplayRun%1").arg(n).toLatin1().constData())->text();
    }
    QString Status() { return Form().statusBar()->currentMessage(); }

    // Picks "Com1" and lets the identification run to its end.
    void Connect() { Form().SelectComPortChange(0); }

    // Picks the part at catalogue index `index` as the device box does.
    void Choose(int index) {
        Box("SelectDevice")->setCurrentIndex(index);
        Form().SelectDeviceChange(index);
    }

    // Clicks the button at `at` on the virtual clock, as the operator would during a wait.
    void ClickAt(Millis at, const char* button) {
        clock.At(at, [this, button] { Button(button)->click(); });
    }
};

}  // namespace kvqor::app::test
