// The program as the desktop runs it: the Qt event-loop host and the built-in simulated
// programmer in real time, reached through the port box. Short on purpose: the virtual-clock
// tests cover the behaviour; this one shows the real pieces are wired together.

#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "AppTestSupport.h"
#include "app/Forms.h"
#include "app/FuseForm.h"
#include "app/QORForm.h"
#include "device/Catalogue.h"

using namespace kvqor;
using namespace kvqor::app;
using namespace kvqor::app::test;

namespace {

// Boxes answered from the script, the program's own windows shown for real (exec).
struct ModalDialogs : ScriptedDialogs {
    void ShowModal(QDialog& window) override {
        shown << window.objectName();
        window.exec();
    }
};

}  // namespace

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

    void FuseWindowReadsInItsOwnModalLoop() {
        ModalDialogs dialogs;
        const Forms forms = CreateForms(dialogs);
        TQORForm& form = *forms.QORForm;
        auto* port = form.findChild<QComboBox*>("SelectComPort");
        port->setCurrentIndex(port->count() - 1);
        form.SelectComPortChange(port->count() - 1);
        form.SelectDeviceChange(static_cast<int>(*FindDevice("AT89S53")));

        // The operator: Exit once the opening reads are over.
        auto* result = forms.FuseForm->findChild<QLabel*>("FuseResult");
        auto* exit = forms.FuseForm->findChild<QPushButton*>("CancleFuse");
        QString titleWhileOpen;
        QTimer operatorHand;
        operatorHand.setInterval(20);
        QElapsedTimer took;
        took.start();
        connect(&operatorHand, &QTimer::timeout, [&] {
            if (result->text() == QStringLiteral("Read Fuse Complete") || took.elapsed() > 10000) {
                titleWhileOpen = forms.FuseForm->windowTitle();
                exit->click();
            }
        });
        operatorHand.start();
        form.FuseClick();
        operatorHand.stop();

        QCOMPARE(dialogs.shown, QStringList{"FuseForm"});
        QCOMPARE(titleWhileOpen, QStringLiteral("Display & Program Fuse...AT89S53"));
        QCOMPARE(forms.FuseForm->findChild<QLineEdit*>("DisplayLock3")->text(),
                 QStringLiteral("Disable(Erase)"));
        QVERIFY(!forms.FuseForm->isVisible());
        QVERIFY(dialogs.boxes.empty());
        delete forms.QORForm;
    }

    void BoxesRaisedInAModalWindowBelongToIt() {
        QWidget main;
        QtDialogs dialogs(&main);
        QWidget* owner = nullptr;
        auto answer = [&owner] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                owner = box->parentWidget();
                box->done(QMessageBox::Ok);
            }
        };
        QTimer::singleShot(0, answer);
        dialogs.Message(MessageKind::Error, QStringLiteral("Write Fuse Error"));
        QCOMPARE(owner, &main);

        QDialog window(&main);
        window.setWindowModality(Qt::ApplicationModal);
        window.show();
        QTimer::singleShot(0, answer);
        dialogs.Message(MessageKind::Error, QStringLiteral("Write Fuse Error"));
        QCOMPARE(owner, static_cast<QWidget*>(&window));
    }
};

QTEST_MAIN(DesktopTest)
#include "DesktopTest.moc"
