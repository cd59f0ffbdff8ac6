// The program as the desktop runs it: the Qt event-loop host and the built-in simulated
// programmer in real time, reached through the port box. Short on purpose: the virtual-clock
// tests cover the behaviour; this one shows the real pieces are wired together.

#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "AppTestSupport.h"
#include "app/Forms.h"
#include "app/QORForm.h"

using namespace kvqor;
using namespace kvqor::app;
using namespace kvqor::app::test;

class DesktopTest : public QObject {
    Q_OBJECT

private slots:
    void EraseOnTheBuiltInSimulatorInRealTime() {
        ScriptedDialogs dialogs;
        const Forms forms = CreateForms(dialogs);
        TQORForm& form = *forms.QORForm;
        auto* port = form.findChild<QComboBox*>("SelectComPort");
        QCOMPARE(port->itemText(port->count() - 1), kSimulatedProgrammer);

        port->setCurrentIndex(port->count() - 1);
        form.SelectComPortChange(port->count() - 1);
        QCOMPARE(form.findChild<QLineEdit*>("QOR_Code")->text(), QStringLiteral("SM/03/0101"));
        QVERIFY(dialogs.boxes.empty());

        form.SelectDeviceChange(0);  // AT89C1051
        auto* run = form.findChild<QPushButton*>("StartRun");
        auto* stop = form.findChild<QPushButton*>("StopRun");
        // The operator: Run once, Exit when the pass is done.
        QTimer operatorHand;
        operatorHand.setInterval(20);
        connect(&operatorHand, &QTimer::timeout, [&] {
            if (!run->isEnabled())
                return;
            if (form.GetSession().PassTotal() == 0) {
                run->click();
            } else {
                stop->click();
            }
        });
        operatorHand.start();
        QElapsedTimer took;
        took.start();
        form.RunDeviceCommand(Operation::Erase);
        operatorHand.stop();
        QCOMPARE(form.findChild<QLabel*>("PassCount")->text(), QStringLiteral("Success : 1"));
        QCOMPARE(form.findChild<QLabel*>("FailCount")->text(), QStringLiteral("Failure : 0"));
        QVERIFY(took.elapsed() < 10000);
        delete forms.QORForm;
    }
};

QTEST_MAIN(DesktopTest)
#include "DesktopTest.moc"
