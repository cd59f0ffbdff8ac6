// The main window and its companions: start-up, hints and menus, the window-state table, port and
// part choice, files, the viewer, Help, About, Fuse, and closing.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "WindowFixture.h"
#include "app/AboutBox.h"
#include "app/AdapterForm.h"
#include "app/EditForm.h"
#include "app/FuseForm.h"
#include "app/Pictures.h"

using namespace kvqor;
using namespace kvqor::app;
using namespace kvqor::app::test;

namespace {

void WriteFile(const QString& path, const QByteArray& content) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

QByteArray ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// 4096 bytes from 0000h, every byte 55h, in records of 16.
QByteArray File4K() {
    QByteArray text;
    for (int a = 0; a < 0x1000; a += 16) {
        QByteArray rec =
            QByteArray(":10") + QByteArray::number(a, 16).rightJustified(4, '0').toUpper() + "00";
        int sum = 0x10 + (a >> 8) + (a & 0xFF);
        for (int i = 0; i < 16; ++i) {
            rec += "55";
            sum += 0x55;
        }
        rec += QByteArray::number((0x100 - (sum & 0xFF)) & 0xFF, 16).rightJustified(2, '0').toUpper();
        text += rec + "\r\n";
    }
    return text + ":00000001FF\r\n";
}

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<WindowFixture> f;
    QTemporaryDir dir;
    QString Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

private slots:
    void init() { f = std::make_unique<WindowFixture>(); }
    void cleanup() { f.reset(); }

    void FiveWindowsInTheirOrderWithTheirCaptions() {
        SetUpApplication();
        QCOMPARE(QApplication::applicationDisplayName(), QStringLiteral("KV-QOR V3.01"));
        QCOMPARE(f->Form().objectName(), QStringLiteral("QORForm"));
        QCOMPARE(f->Form().windowTitle(), QStringLiteral("KV-QOR V3.01......Micro Controller Programmer"));
        QStringList order;
        for (QObject* child : f->Form().children()) {
            if (auto* d = qobject_cast<QDialog*>(child))
                order << d->objectName() + QLatin1Char('=') + d->windowTitle();
        }
        QCOMPARE(order, QStringList({"AboutBox=About KV-QOR Version3.01", "EditForm=Display HEX Buffer",
                                     "FuseForm=Display & Program Fuse Bit",
                                     "AdapterForm=This Device Used With Adapter AT90S8535"}));
        for (QDialog* d : f->Form().findChildren<QDialog*>())
            QVERIFY(!d->isVisible());
    }

    void StartUpValues() {
        QCOMPARE(f->Label("PassCount")->text(), QStringLiteral("Success : 0"));
        QCOMPARE(f->Label("FailCount")->text(), QStringLiteral("Failure : 0"));
        QCOMPARE(f->Label("DisplayCommand")->text(), QStringLiteral("No Command Select?"));
        // Before the first operation the title keeps the system's text colour.
        QCOMPARE(f->Label("DisplayCommand")->palette().color(QPalette::WindowText),
                 QApplication::palette().color(QPalette::WindowText));
        for (int n = 1; n <= 6; ++n)
            QVERIFY(f->Line(n).isEmpty());
        QVERIFY(!f->Find<QProgressBar>("PercentRun")->isVisibleTo(&f->Form()));
        QVERIFY(!f->Button("StartRun")->isEnabled());
        QVERIFY(!f->Button("StopRun")->isEnabled());
        QCOMPARE(f->Button("StopRun")->text(), QStringLiteral("Exit"));
        QVERIFY(f->Button("ResetCount")->isEnabled());
        QVERIFY(f->Button("CheckQOR")->isEnabled());
        for (const char* name : {"Device_Algo", "Device_Vpp", "Device_End", "SelectFileName", "Buffer_End",
                                 "Buffer_Sum", "QOR_Code"}) {
            QVERIFY2(f->Edit(name)->text().isEmpty(), name);
        }
        for (const char* name :
             {"Device_Algo", "Device_Vpp", "Device_End", "SelectFileName", "Buffer_End", "Buffer_Sum"}) {
            QVERIFY2(!f->Edit(name)->isEnabled(), name);
        }
        QVERIFY(f->Edit("QOR_Code")->isReadOnly());
        QCOMPARE(f->Box("SelectComPort")->currentIndex(), -1);
        QCOMPARE(f->Box("SelectDevice")->currentIndex(), -1);
        QVERIFY(f->Box("SelectDevice")->currentText().isEmpty());
        for (const auto& e : kDeviceEntries) {
            QVERIFY2(!f->Action(std::string(e.objectName).c_str())->isEnabled(), e.objectName.data());
        }
        QCOMPARE(f->Form().focusWidget(), f->Box("SelectComPort"));
        QVERIFY(f->Form().statusBar()->isVisible() || !f->Form().isVisible());
    }

    void FixedPitchResultLinesWithSmallerLowerHalf() {
        QVERIFY(QFontInfo(f->Label("DisplayRun1")->font()).fixedPitch());
        QVERIFY(QFontInfo(f->Label("DisplayRun6")->font()).fixedPitch());
        QVERIFY(f->Label("DisplayRun4")->font().pixelSize() < f->Label("DisplayRun3")->font().pixelSize());
        QVERIFY(f->Label("DisplayCommand")->font().bold());
    }

    void PortBoxListsComPortsSystemPortsAndTheSimulator() {
        QCOMPARE(PortBoxItems({"ttyS0", "ttyS3", "ttyUSB0", "ttyACM1"}),
                 QStringList({"Com1", "Com2", "Com3", "Com4", "ttyUSB0", "ttyACM1", "Simulated programmer"}));
        // The list is read again when it opens; the chosen entry stays chosen.
        auto* box = qobject_cast<ListBox*>(f->Box("SelectComPort"));
        QVERIFY(box);
        box->setCurrentIndex(1);
        f->ports.systemPorts = QStringList{"ttyUSB7"};
        QSignalSpy changes(box, &QComboBox::activated);
        emit box->AboutToShowList();
        QCOMPARE(box->count(), 6);
        QCOMPARE(box->itemText(4), QStringLiteral("ttyUSB7"));
        QCOMPARE(box->currentText(), QStringLiteral("Com2"));
        QCOMPARE(changes.count(), 0);
    }

    void HintsAsTooltipAndStatusText_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("tip");
        QTest::addColumn<QString>("status");
        QTest::newRow("Reset") << "ResetCount"
                               << "Reset Status Counter"
                               << "Reset Status Counter";
        QTest::newRow("Port") << "SelectComPort"
                              << "Select Comport To Connect"
                              << "Select Comport To Connect";
        QTest::newRow("Connect") << "CheckQOR"
                                 << "Check Hardware Connection"
                                 << "Check Hardware Connection";
        QTest::newRow("Run") << "StartRun"
                             << "Run Command"
                             << "Run Command";
        QTest::newRow("Stop") << "StopRun"
                              << "Stop or Exit Command"
                              << "Stop or Exit Command";
        QTest::newRow("Device") << "SelectDevice"
                                << "Select Device To Program"
                                << "Select Device To Program";
    }
    void HintsAsTooltipAndStatusText() {
        QFETCH(QString, name);
        QFETCH(QString, tip);
        QFETCH(QString, status);
        auto* w = f->Form().findChild<QWidget*>(name);
        QVERIFY(w);
        QCOMPARE(w->toolTip(), tip);
        QCOMPARE(w->statusTip(), status);
    }

    void MenuEntries_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("hint");
        QTest::newRow("Open") << "FileOpen1"
                              << "&Open"
                              << "Ctrl+O"
                              << "Open Intel-Hex File To Buffer";
        QTest::newRow("Save") << "FileSave1"
                              << "&Save"
                              << "Ctrl+S"
                              << "Save Intel-Hex File From Buffer";
        QTest::newRow("Buffer") << "FileBuffer"
                                << "&Buffer"
                                << "Ctrl+B"
                                << "Display Hex Data From Buffer";
        QTest::newRow("Exit") << "FileExit1"
                              << "E&xit"
                              << "Ctrl+X"
                              << "Exit QOR Application";
        QTest::newRow("Erase") << "EraseDevice"
                               << "Erase"
                               << ""
                               << "Erase Device";
        QTest::newRow("Blank") << "BlankDevice"
                               << "Blank"
                               << ""
                               << "Device Data Blank Check";
        QTest::newRow("Program") << "ProgramDevice"
                                 << "Program"
                                 << ""
                                 << "Program Flash on Device From Buffer";
        QTest::newRow("Verify") << "VerifyDevice"
                                << "Verify"
                                << ""
                                << "Verify Flash on Device With Buffer";
        QTest::newRow("Lock1") << "Lock1"
                               << "Lock1"
                               << ""
                               << "Program Lock Bit 1";
        QTest::newRow("Lock2") << "Lock2"
                               << "Lock2"
                               << ""
                               << "Program Lock Bit 1,2";
        QTest::newRow("Lock3") << "Lock3"
                               << "Lock3"
                               << ""
                               << "Program Lock Bit 1,2,3";
        QTest::newRow("Fuse") << "Fuse"
                              << "Fuse"
                              << ""
                              << "Edit & Display Fuse Bit";
        QTest::newRow("Read") << "ReadDevice"
                              << "Read"
                              << ""
                              << "Read Flash From Device To Buffer";
        QTest::newRow("Auto") << "AutoProgram"
                              << "Auto"
                              << ""
                              << "";
        QTest::newRow("Help") << "QORHelpItem"
                              << "QOR &Help"
                              << "Ctrl+H"
                              << "KV-QOR V3.0 User Help";
        QTest::newRow("About") << "HelpAbout1"
                               << "&About..."
                               << "Ctrl+A"
                               << "Show Program Information And Version Number";
    }
    void MenuEntries() {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QString, keys);
        QFETCH(QString, hint);
        QAction* a = f->Form().findChild<QAction*>(name);
        QVERIFY(a);
        QCOMPARE(a->text(), caption);
        QCOMPARE(a->shortcut().toString(), keys);
        QCOMPARE(a->statusTip(), hint);
    }

    void MenusInOrderWithIconsOnFileEntries() {
        QStringList captions;
        for (QAction* a : f->Form().menuBar()->actions())
            captions << a->text() + QLatin1Char('=') + a->statusTip();
        QCOMPARE(captions, QStringList({"File=Active File Command", "Device=Active Device Run Command",
                                        "Help=Help topics"}));
        QStringList device;
        for (QAction* a : f->Menu("Operation1")->actions())
            device << a->text();
        QCOMPARE(device, QStringList({"Erase", "Blank", "Program", "Verify", "Lock1", "Lock2", "Lock3",
                                      "Fuse", "Read", "Auto"}));
        for (const char* name : {"FileOpen1", "FileSave1", "FileBuffer"})
            QVERIFY(!f->Action(name)->icon().isNull());
        QCOMPARE(f->Action("HelpAbout1")->toolTip(), QStringLiteral("About"));
    }

    // The table, applied by the one function that owns it, read back from the real widgets.
    void WindowStateTable_data() {
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("run");
        QTest::addColumn<bool>("stop");
        QTest::addColumn<QString>("stopCaption");
        QTest::addColumn<bool>("reset");
        QTest::addColumn<bool>("others");  // Connect, the three menus, the two boxes
        QTest::addColumn<QString>("title");
        QTest::addColumn<QColor>("ground");
        QTest::addColumn<QColor>("text");
        const QColor face = QApplication::palette().color(QPalette::Button);
        QTest::newRow("idle") << int(RunState::Idle) << false << false << "Exit" << true << true
                              << "No Command Select?" << face << QColor(Qt::black);
        QTest::newRow("waiting for Run")
            << int(RunState::WaitingForRun) << true << true << "Exit" << true << false << "  Program Device  "
            << QColor(Qt::yellow) << QColor(Qt::blue);
        QTest::newRow("pass") << int(RunState::Pass) << false << true << "Stop" << false << false
                              << "  Program Device  " << QColor(Qt::yellow) << QColor(Qt::blue);
    }
    void WindowStateTable() {
        QFETCH(int, state);
        QFETCH(bool, run);
        QFETCH(bool, stop);
        QFETCH(QString, stopCaption);
        QFETCH(bool, reset);
        QFETCH(bool, others);
        QFETCH(QString, title);
        QFETCH(QColor, ground);
        QFETCH(QColor, text);
        // Leave idle first so that the idle row shows the colours of an ended operation.
        f->Form().ApplyRunState(RunState::Pass, "  Program Device  ");
        f->Form().ApplyRunState(static_cast<RunState>(state), "  Program Device  ");
        QCOMPARE(f->Button("StartRun")->isEnabled(), run);
        QCOMPARE(f->Button("StopRun")->isEnabled(), stop);
        QCOMPARE(f->Button("StopRun")->text(), stopCaption);
        QCOMPARE(f->Button("ResetCount")->isEnabled(), reset);
        QCOMPARE(f->Button("CheckQOR")->isEnabled(), others);
        QCOMPARE(f->Box("SelectComPort")->isEnabled(), others);
        QCOMPARE(f->Box("SelectDevice")->isEnabled(), others);
        for (const char* menu : {"File1", "Operation1", "Help1"}) {
            QCOMPARE(f->Menu(menu)->menuAction()->isEnabled(), others);
        }
        // Nothing that changes the buffer or opens a window can start under an operation.
        for (const char* a : {"FileOpen1", "FileSave1", "FileBuffer", "QORHelpItem", "HelpAbout1"}) {
            QCOMPARE(f->Action(a)->isEnabled(), others);
        }
        QVERIFY(f->Action("FileExit1")->isEnabled());
        QLabel* command = f->Label("DisplayCommand");
        QCOMPARE(command->text(), title);
        QVERIFY(command->autoFillBackground());
        QCOMPARE(command->palette().color(QPalette::Window), ground);
        QCOMPARE(command->palette().color(QPalette::WindowText), text);
    }

    void FocusMovesOfTheRunStates() {
        f->Form().ApplyRunState(RunState::WaitingForRun, "   Erase Device   ");
        QCOMPARE(f->Form().focusWidget(), f->Button("StartRun"));
        f->Form().ApplyRunState(RunState::Pass, "   Erase Device   ");
        f->Form().ApplyRunState(RunState::WaitingForRun, "   Erase Device   ");
        QCOMPARE(f->Form().focusWidget(), f->Button("StopRun"));
    }

    // The same states, met in a real erase run against a programmer on the virtual clock.
    void StatesDuringARealRun() {
        f->Connect();
        f->Choose(3);  // AT89C51
        struct Seen {
            bool run, stop, reset, connect, menus;
            QString stopCaption, title, line1;
            bool gauge;
        };
        auto look = [this] {
            return Seen{f->Button("StartRun")->isEnabled(),
                        f->Button("StopRun")->isEnabled(),
                        f->Button("ResetCount")->isEnabled(),
                        f->Button("CheckQOR")->isEnabled(),
                        f->Menu("Operation1")->menuAction()->isEnabled(),
                        f->Button("StopRun")->text(),
                        f->Label("DisplayCommand")->text(),
                        f->Line(1),
                        f->Find<QProgressBar>("PercentRun")->isVisibleTo(&f->Form())};
        };
        std::vector<Seen> seen;
        const Millis t0 = f->clock.Now();
        f->clock.At(t0 + 100, [&] {
            seen.push_back(look());
            f->Button("StartRun")->click();
        });
        f->clock.At(t0 + 1000, [&] { seen.push_back(look()); });  // the programmer is erasing
        f->clock.At(t0 + 5000, [&] {
            seen.push_back(look());
            QCOMPARE(f->Form().focusWidget(), f->Button("StopRun"));
            f->Button("StopRun")->click();  // Exit
        });
        f->Form().RunDeviceCommand(Operation::Erase);
        seen.push_back(look());

        QCOMPARE(seen.size(), std::size_t(4));
        // waiting for Run
        QVERIFY(seen[0].run && seen[0].stop && seen[0].reset && !seen[0].connect && !seen[0].menus);
        QCOMPARE(seen[0].stopCaption, QStringLiteral("Exit"));
        QCOMPARE(seen[0].title, QStringLiteral("   Erase Device   "));
        QVERIFY(!seen[0].gauge);
        // during the pass
        QVERIFY(!seen[1].run && seen[1].stop && !seen[1].reset && !seen[1].connect && !seen[1].menus);
        QCOMPARE(seen[1].stopCaption, QStringLiteral("Stop"));
        QCOMPARE(seen[1].line1, QStringLiteral("Erase....."));
        QVERIFY(seen[1].gauge);
        // after the pass: waiting again, its texts and gauge still there
        QVERIFY(seen[2].run && seen[2].stop && seen[2].reset && !seen[2].connect);
        QCOMPARE(seen[2].line1, QStringLiteral("Erase.........Pass"));
        QVERIFY(seen[2].gauge);
        // after Exit: idle, lines emptied
        QVERIFY(!seen[3].run && !seen[3].stop && seen[3].reset && seen[3].connect && seen[3].menus);
        QCOMPARE(seen[3].title, QStringLiteral("No Command Select?"));
        QVERIFY(seen[3].line1.isEmpty() && !seen[3].gauge);
        QCOMPARE(f->Label("PassCount")->text(), QStringLiteral("Success : 1"));
    }

    void FailedPassLeavesItsTextsAndCountsOneFailure() {
        f->Connect();
        f->Choose(0);
        f->programmer.singleReply = ctl::NAK;
        f->ClickAt(f->clock.Now() + 10, "StartRun");
        f->Form().RunDeviceCommand(Operation::Blank);
        QCOMPARE(f->Line(1), QStringLiteral("Blank.........Fail"));
        QCOMPARE(f->Line(2), QStringLiteral("Command......Abort"));
        QCOMPARE(f->Label("FailCount")->text(), QStringLiteral("Failure : 1"));
        QCOMPARE(f->Label("DisplayCommand")->text(), QStringLiteral("No Command Select?"));
        QCOMPARE(f->Label("DisplayCommand")->palette().color(QPalette::Window),
                 QApplication::palette().color(QPalette::Button));
        QCOMPARE(f->programmer.Line().SentBytes().back(), char(ctl::CAN));
        // Reset clears both counters at once.
        f->Button("ResetCount")->click();
        QCOMPARE(f->Label("FailCount")->text(), QStringLiteral("Failure : 0"));
    }

    void DeviceCommandBeforeTheProgrammerWasFound() {
        f->Choose(0);
        f->Action("EraseDevice")->trigger();
        QCOMPARE(f->dialogs.boxes, (std::vector<Box>{{Box::Kind::Plain, "Comport Not Connect"}}));
        QCOMPARE(f->Label("DisplayCommand")->text(), QStringLiteral("No Command Select?"));
        QVERIFY(f->programmer.Line().SentBytes().empty());
    }

    // --- port and programmer

    void ChoosingAPortIdentifiesTheProgrammer() {
        f->Box("SelectComPort")->setCurrentIndex(0);
        f->Form().SelectComPortChange(0);
        QCOMPARE(f->ports.opened, QStringList{"Com1"});
        QCOMPARE(f->Edit("QOR_Code")->text(), QStringLiteral("KV/30/1A00"));
        QCOMPARE(f->Status(), QStringLiteral("Search Hardware On Com1 OK"));
        QVERIFY(f->Form().GetSession().HardwareFound());
        QCOMPARE(f->Form().focusWidget(), f->Button("CheckQOR"));
        QVERIFY(f->dialogs.boxes.empty());
        // Choosing the same port again identifies again on the open line.
        f->Form().SelectComPortChange(0);
        QCOMPARE(f->ports.opened, QStringList{"Com1"});
        QCOMPARE(f->Edit("QOR_Code")->text(), QStringLiteral("KV/30/1A00"));
    }

    void ConnectAndPortBoxWaitWithTheIdentification() {
        bool connectDuring = true, portDuring = true;
        f->clock.At(50, [&] {
            connectDuring = f->Button("CheckQOR")->isEnabled();
            portDuring = f->Box("SelectComPort")->isEnabled();
        });
        f->Connect();
        QVERIFY(!connectDuring);
        QVERIFY(!portDuring);
        QVERIFY(f->Button("CheckQOR")->isEnabled());
        QVERIFY(f->Box("SelectComPort")->isEnabled());
    }

    void SilentProgrammerIsNotFound() {
        f->programmer.answersIdentification = false;
        f->Connect();
        QCOMPARE(f->dialogs.boxes, (std::vector<Box>{{Box::Kind::Error, "Hardware Not Found"}}));
        QVERIFY(f->Edit("QOR_Code")->text().isEmpty());
        QCOMPARE(f->Status(), QStringLiteral("Waiting to Initial Hardware"));
        QCOMPARE(f->programmer.Line().SentBytes().back(), char(ctl::CAN));
        // Connect tries again on the same open port.
        f->programmer.answersIdentification = true;
        f->Button("CheckQOR")->click();
        QCOMPARE(f->Edit("QOR_Code")->text(), QStringLiteral("KV/30/1A00"));
    }

    void PortThatCannotBeOpenedClearsTheFoundProgrammer() {
        f->Connect();
        QVERIFY(f->Form().GetSession().HardwareFound());
        f->Form().SelectComPortChange(2);  // Com3: no such port here
        QCOMPARE(f->dialogs.boxes.size(), std::size_t(1));
        QCOMPARE(f->dialogs.boxes[0].kind, Box::Kind::Error);
        QVERIFY(f->dialogs.boxes[0].text.contains(QStringLiteral("Com3")));
        QVERIFY(f->dialogs.boxes[0].text.contains(QStringLiteral("No such file or directory")));
        QVERIFY(!f->Form().GetSession().HardwareFound());
        QVERIFY(f->Edit("QOR_Code")->text().isEmpty());
        // Device commands refuse again instead of talking to a closed port.
        f->Choose(0);
        f->Form().RunDeviceCommand(Operation::Erase);
        QCOMPARE(f->dialogs.boxes.back(), (Box{Box::Kind::Plain, "Comport Not Connect"}));
    }

    void ConnectWithNoPortOpen() {
        f->Button("CheckQOR")->click();
        QCOMPARE(f->dialogs.boxes, (std::vector<Box>{{Box::Kind::Error, "Comport Not Found"}}));
        QVERIFY(!f->Form().GetSession().HardwareFound());
    }

    void NoEntryChosenOnlyMovesTheFocus() {
        f->Form().SelectComPortChange(-1);
        QVERIFY(f->ports.opened.isEmpty());
        QCOMPARE(f->Form().focusWidget(), f->Button("CheckQOR"));
    }

    // --- part and buffer

    void ChoosingAPartFillsItsFieldsAndMenu() {
        f->Choose(8);  // AT89S53
        QCOMPARE(f->Edit("Device_Algo")->text(), QStringLiteral("89SXXXX"));
        QCOMPARE(f->Edit("Device_Vpp")->text(), QStringLiteral("+12V"));
        QCOMPARE(f->Edit("Device_End")->text(), QStringLiteral("2FFFH"));
        QCOMPARE(f->Edit("Buffer_Sum")->text(), QStringLiteral("0000H"));
        for (const char* on :
             {"EraseDevice", "BlankDevice", "ReadDevice", "Lock1", "Lock2", "Lock3", "Fuse"}) {
            QVERIFY2(f->Action(on)->isEnabled(), on);
        }
        // Nothing in the buffer yet: nothing to program.
        for (const char* off : {"ProgramDevice", "VerifyDevice", "AutoProgram"})
            QVERIFY2(!f->Action(off)->isEnabled(), off);
        QCOMPARE(f->Form().focusWidget(), f->Button("CheckQOR"));
        f->Choose(1);  // AT89C2051
        QVERIFY(!f->Action("Lock3")->isEnabled());
        QVERIFY(!f->Action("Fuse")->isEnabled());
        QVERIFY(f->dialogs.shown.isEmpty());
    }

    void AdapterPromptForTheAT90S8535() {
        f->Choose(11);
        QCOMPARE(f->dialogs.shown, QStringList{"AdapterForm"});
        QCOMPARE(f->dialogs.shownTitles, QStringList{"This Device Used With Adapter AT90S8535"});
        f->Choose(11);  // again: shown again
        QCOMPARE(f->dialogs.shown.size(), 2);
        auto* adapter = f->forms.AdapterForm;
        QCOMPARE(adapter->findChild<QLabel*>("Image1")->pixmap().size(), kAdapterBoardSize);
        QCOMPARE(adapter->findChild<QLabel*>("Image2")->pixmap().size(), kProgrammerWithAdapterSize);
        QCOMPARE(adapter->findChild<QLabel*>("Label1")->text(), QStringLiteral("Insert Adapter"));
        QCOMPARE(adapter->findChild<QLabel*>("Label2")->text(), QStringLiteral("AT90S8535"));
        QVERIFY(adapter->findChild<QLabel*>("Label1")->font().bold());
        QCOMPARE(AdapterBoardPicture().format(), QImage::Format_RGB888);
        // OK closes it.
        adapter->show();
        adapter->findChild<QPushButton*>("OKAdapter")->click();
        QVERIFY(!adapter->isVisible());
    }

    void FileOpenedAfterThePartEnablesProgramming() {
        WriteFile(Path("blink.hex"), File4K());
        f->Choose(2);  // AT89C4051, end 0FFFh
        f->dialogs.openNames.push_back(Path("blink.hex"));
        f->Action("FileOpen1")->trigger();
        QCOMPARE(f->dialogs.filters, QStringList{"All Hex  Files (*.Hex,*.Rom)|*.HEX;*.ROM"});
        QCOMPARE(f->Edit("SelectFileName")->text(), QStringLiteral("blink.hex"));
        QCOMPARE(f->Edit("Buffer_End")->text(), QStringLiteral("0FFFH"));
        QCOMPARE(f->Edit("Buffer_Sum")->text(), QStringLiteral("5000H"));  // 4096 x 55h
        for (const char* on : {"ProgramDevice", "VerifyDevice", "AutoProgram"})
            QVERIFY2(f->Action(on)->isEnabled(), on);
        QVERIFY(f->dialogs.boxes.empty());
        QCOMPARE(f->Form().focusWidget(), f->Button("ResetCount"));
    }

    void FileOpenedBeforeThePartAndTheOverEndWarning() {
        WriteFile(Path("big.hex"), File4K());
        f->dialogs.openNames.push_back(Path("big.hex"));
        f->Form().FileOpen1Execute();
        QVERIFY(!f->Action("ProgramDevice")->isEnabled());  // no part yet
        f->Choose(1);                                       // AT89C2051 ends at 07FFh, the file at 0FFFh
        QCOMPARE(f->dialogs.boxes, (std::vector<Box>{{Box::Kind::Warning, "End Buffer Over End Device"}}));
        QCOMPARE(f->Edit("Buffer_Sum")->text(), QStringLiteral("A800H"));  // 2048 x 55h
        QVERIFY(f->Action("ProgramDevice")->isEnabled());
        f->Choose(3);  // AT89C51 ends at 0FFFh: no warning
        QCOMPARE(f->dialogs.boxes.size(), std::size_t(1));
    }

    void TypingIntoTheDeviceBoxKeepsThePart() {
        f->Choose(3);
        QTest::keyClicks(f->Box("SelectDevice")->lineEdit(), "x");
        QCOMPARE(f->Edit("Device_End")->text(), QStringLiteral("0FFFH"));
        QCOMPARE(f->Form().GetWorkspace().CurName, std::string("AT89C51"));
    }

    void BadFilesAreReported() {
        f->dialogs.openNames.push_back(Path("missing.hex"));
        f->Form().FileOpen1Execute();
        QCOMPARE(f->dialogs.boxes, (std::vector<Box>{{Box::Kind::Error, "Open File Error!!!"}}));
        QCOMPARE(f->Edit("SelectFileName")->text(), QStringLiteral("missing.hex"));
        QVERIFY(f->Edit("Buffer_Sum")->text().isEmpty());

        WriteFile(Path("cut.hex"), ":0400000001020304F2\r\n junk\r\n:0400100005060708D2\r\n");
        f->dialogs.openNames.push_back(Path("cut.hex"));
        f->Form().FileOpen1Execute();
        QCOMPARE(f->dialogs.boxes.back(), (Box{Box::Kind::Error, "Format Intel-Hex...Error"}));
        QCOMPARE(f->Edit("Buffer_End")->text(), QStringLiteral("0003H"));
    }

    void WrongChecksumsAreCountedInTheStatusBar() {
        WriteFile(Path("sums.hex"), ":0400000001020304F0\r\n:0400040001020304EC\r\n:00000001FF\r\n");
        f->dialogs.openNames.push_back(Path("sums.hex"));
        f->Form().FileOpen1Execute();
        QVERIFY(f->dialogs.boxes.empty());
        QCOMPARE(f->Status(), QStringLiteral("2 Records With Wrong Checksum"));
        QCOMPARE(f->Edit("Buffer_End")->text(), QStringLiteral("0007H"));
    }

    void SaveAsksBeforeReplacingAFile() {
        f->Choose(0);  // AT89C1051: 64 records
        f->dialogs.saveNames.push_back(Path("out.hex"));
        f->Form().FileSave1Execute();
        QCOMPARE(f->dialogs.filters, QStringList{"All Hex  Files (*.Hex)|*.Hex"});
        QVERIFY(f->dialogs.boxes.empty());
        const QByteArray written = ReadFile(Path("out.hex"));
        QCOMPARE(written.count("\r\n"), 65);
        QVERIFY(written.endsWith(":00000001FF\r\n"));
        QCOMPARE(f->Form().focusWidget(), f->Button("ResetCount"));

        WriteFile(Path("keep.hex"), "precious");
        f->dialogs.saveNames.push_back(Path("keep.hex"));
        f->dialogs.answers.push_back(false);
        f->Form().FileSave1Execute();
        QCOMPARE(f->dialogs.boxes, (std::vector<Box>{{Box::Kind::Question, "Do you want to overwrite?"}}));
        QCOMPARE(ReadFile(Path("keep.hex")), QByteArray("precious"));

        f->dialogs.saveNames.push_back(Path("keep.hex"));
        f->dialogs.answers.push_back(true);
        f->Form().FileSave1Execute();
        QCOMPARE(ReadFile(Path("keep.hex")), written);

        // Cancelled dialog: nothing written, nothing asked.
        f->Form().FileSave1Execute();
        QCOMPARE(f->dialogs.boxes.size(), std::size_t(2));
    }

    void SaveIntoAFolderThatIsNotThereIsReported() {
        f->dialogs.saveNames.push_back(Path("no/such/dir/out.hex"));
        f->Form().FileSave1Execute();
        QCOMPARE(f->dialogs.boxes.size(), std::size_t(1));
        QCOMPARE(f->dialogs.boxes[0].kind, Box::Kind::Error);
        QVERIFY(f->dialogs.boxes[0].text.startsWith(QStringLiteral("Save File Error!!!")));
    }

    void ViewerIsRebuiltAtEveryOpening() {
        f->Action("FileBuffer")->trigger();
        QCOMPARE(f->dialogs.shown, QStringList{"EditForm"});
        QCOMPARE(f->dialogs.shownTitles, QStringList{"Display Hex Buffer"});
        QStringList rows = f->dialogs.viewerTexts[0].split(QLatin1Char('\n'));
        QCOMPARE(rows.size(), 32);  // 0000h to 01F0h before anything was loaded
        QCOMPARE(rows[0],
                 QStringLiteral("0000 : 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00   ................"));
        QCOMPARE(f->Form().focusWidget(), f->Button("ResetCount"));

        WriteFile(Path("hi.hex"), ":0401200048690041CF\r\n");
        f->dialogs.openNames.push_back(Path("hi.hex"));
        f->Form().FileOpen1Execute();
        f->Form().FileBufferExecute();
        rows = f->dialogs.viewerTexts[1].split(QLatin1Char('\n'));
        QCOMPARE(rows.size(), 19);  // up to the last record's end, 0123h
        QCOMPARE(rows[18],
                 QStringLiteral("0120 : 48 69 00 41 FF FF FF FF FF FF FF FF FF FF FF FF   Hi.A............"));
        auto* text = f->forms.EditForm->TextDisplay();
        QVERIFY(text->isReadOnly());
        QVERIFY(QFontInfo(text->font()).fixedPitch());
        QCOMPARE(f->forms.EditForm->size(), QSize(705, 435));
    }

    // --- help, about, fuse

    void HelpOpensTheGuideBesideTheProgram() {
        QCOMPARE(f->Form().HelpFile(),
                 QCoreApplication::applicationDirPath() + QStringLiteral("/QORWIN1.html"));
        f->Form().SetHelpFile(Path("QORWIN1.html"));
        f->Form().QORHelpItemClick();  // not there
        QCOMPARE(f->dialogs.boxes.size(), std::size_t(1));
        QCOMPARE(f->dialogs.boxes[0].kind, Box::Kind::Error);
        QVERIFY(f->dialogs.boxes[0].text.contains(Path("QORWIN1.html")));
        QVERIFY(f->dialogs.viewerPaths.isEmpty());

        WriteFile(Path("QORWIN1.html"), "<html></html>");
        f->Action("QORHelpItem")->trigger();
        QCOMPARE(f->dialogs.viewerPaths, QStringList{Path("QORWIN1.html")});
        QCOMPARE(f->dialogs.boxes.size(), std::size_t(1));

        f->dialogs.viewerWorks = false;
        f->Form().QORHelpItemClick();
        QCOMPARE(f->dialogs.boxes.size(), std::size_t(2));
        QVERIFY(f->dialogs.boxes[1].text.contains(QStringLiteral("viewer")));
    }

    void GuideShipsBesideTheProgram() {
        // The build puts the guide beside kvqor; its source must be a real page.
        const QByteArray guide = ReadFile(QStringLiteral(KVQOR_HELP_SOURCE));
        QVERIFY(guide.contains("<title>KV-QOR V3.01 User Help</title>"));
        QVERIFY(guide.contains("Simulated programmer"));
    }

    void AboutReturnsTheFocusToReset() {
        f->Action("HelpAbout1")->trigger();
        QCOMPARE(f->dialogs.shown, QStringList{"AboutBox"});
        QCOMPARE(f->Form().focusWidget(), f->Button("ResetCount"));
        auto* ok = f->forms.AboutBox->findChild<QPushButton*>("OKButton");
        QVERIFY(ok->isDefault());
        QVERIFY(!f->forms.AboutBox->findChild<QLabel*>("ProgramIcon")->pixmap().isNull());
    }

    void FuseNeedsTheProgrammerAndAPartWithFuses() {
        f->Choose(8);  // AT89S53 has fuses
        f->Form().FuseClick();
        QCOMPARE(f->dialogs.boxes, (std::vector<Box>{{Box::Kind::Plain, "Comport Not Connect"}}));
        f->Connect();
        f->Form().FuseClick();
        QCOMPARE(f->dialogs.shown, QStringList{"FuseForm"});
        f->Choose(3);  // AT89C51 has none
        f->Form().FuseClick();
        QCOMPARE(f->dialogs.boxes.back(), (Box{Box::Kind::Plain, "Not Fuse on Device"}));
        QCOMPARE(f->Form().focusWidget(), f->Button("ResetCount"));
    }

    // --- closing

    void ClosingDuringAPassEndsTheCommandFirst() {
        f->Form().show();
        f->Connect();
        f->Choose(3);
        f->programmer.replyAfterMs = 10000;
        f->ClickAt(f->clock.Now() + 10, "StartRun");
        f->clock.At(f->clock.Now() + 3000, [this] { f->Form().close(); });
        f->Form().RunDeviceCommand(Operation::Erase);
        // The wait ended as a confirmed stop would, without asking; CAN went out; then it closed.
        QVERIFY(!f->dialogs.unanswered);
        QCOMPARE(f->Line(1), QStringLiteral("Erase.....Time-Out"));
        QCOMPARE(f->Label("FailCount")->text(), QStringLiteral("Failure : 1"));
        QCOMPARE(f->programmer.Line().SentBytes().back(), char(ctl::CAN));
        QVERIFY(!f->Form().isVisible());
    }

    void ClosingWhileWaitingForRunLeavesQuietly() {
        f->Form().show();
        f->Connect();
        f->Choose(3);
        f->programmer.Line().ClearLog();
        f->clock.At(f->clock.Now() + 10, [this] { f->Form().close(); });
        f->Form().RunDeviceCommand(Operation::Erase);
        QVERIFY(f->programmer.Line().SentBytes().empty());
        QCOMPARE(f->Label("FailCount")->text(), QStringLiteral("Failure : 0"));
        QVERIFY(!f->Form().isVisible());
    }

    void ClosingDuringTheIdentificationCutsItShort() {
        f->Form().show();
        f->clock.At(5, [this] { f->Form().close(); });
        f->Connect();
        // The exchange ended at once with its CAN, no box asked for an answer, and the window closed.
        QCOMPARE(f->Edit("QOR_Code")->text(), QString());
        QCOMPARE(f->programmer.Line().SentBytes().back(), char(ctl::CAN));
        QVERIFY(f->dialogs.boxes.empty());
        QVERIFY(!f->Form().isVisible());
    }

    void ExitWhenIdleClosesWithoutAQuestion() {
        f->Form().show();
        f->Connect();
        f->programmer.Line().ClearLog();
        f->Action("FileExit1")->trigger();
        QVERIFY(!f->Form().isVisible());
        QVERIFY(f->dialogs.boxes.empty());
        QVERIFY(f->programmer.Line().SentBytes().empty());
    }

    void DialogFilterMatchesAnyCase() {
        QCOMPARE(DialogFilter(QStringLiteral("All Hex  Files (*.Hex,*.Rom)|*.HEX;*.ROM")),
                 QStringLiteral("All Hex  Files (*.Hex,*.Rom) (*.HEX *.hex *.ROM *.rom)"));
        QCOMPARE(DialogFilter(QStringLiteral("All Hex  Files (*.Hex)|*.Hex")),
                 QStringLiteral("All Hex  Files (*.Hex) (*.Hex *.hex *.HEX)"));
    }
};

QTEST_MAIN(WindowTest)
#include "WindowTest.moc"
