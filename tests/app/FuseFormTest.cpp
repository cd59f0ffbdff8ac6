// The fuse window against the simulated programmer on the virtual clock: opening from the main
// window, what it shows per part, Write passing and failing, Cancle during a read, and closing.
// The exchanges themselves are tested without the window in tests/fuse.

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "SimBench.h"
#include "app/FuseForm.h"
#include "device/Catalogue.h"
#include "link/ControlBytes.h"

using namespace kvqor;
using namespace kvqor::app;
using namespace kvqor::app::test;

class FuseFormTest : public QObject {
    Q_OBJECT

private:
    struct Bench : SimBench {
        TFuseForm& Fuse() { return *forms.FuseForm; }
        template <class T>
        T* In(const char* name) {
            T* w = Fuse().findChild<T*>(QString::fromLatin1(name));
            if (!w)
                qFatal("no control %s in the fuse window", name);
            return w;
        }
        QString Text(const char* name) {
            if (auto* l = Fuse().findChild<QLabel*>(QString::fromLatin1(name)))
                return l->text();
            return In<QLineEdit>(name)->text();
        }
        QPushButton* Button(const char* name) { return In<QPushButton>(name); }
        // The five status fields: DisplayFuse1, DisplayFuse2, DisplayLock1 to DisplayLock3.
        QStringList Fields() {
            QStringList texts;
            for (const char* name :
                 {"DisplayFuse1", "DisplayFuse2", "DisplayLock1", "DisplayLock2", "DisplayLock3"})
                texts << Text(name);
            return texts;
        }
        // The selected item of a radio group, -1 for none.
        int Index(const char* group) {
            const QList<QRadioButton*> items = In<QGroupBox>(group)->findChildren<QRadioButton*>();
            for (int i = 0; i < items.size(); ++i) {
                if (items[i]->isChecked())
                    return i;
            }
            return -1;
        }
        void Pick(const char* group, int index) {
            In<QRadioButton>(QStringLiteral("%1Item%2").arg(QLatin1String(group)).arg(index).toLatin1())
                ->click();
        }

        void Connect() { Form().SelectComPortChange(0); }
        // The programmer found and the part chosen: Device > Fuse may open.
        void ConnectAndChoose(std::string_view name) {
            Connect();
            Choose(name);
        }
        void Choose(std::string_view name) {
            const int index = static_cast<int>(*FindDevice(name));
            Form().findChild<QComboBox*>("SelectDevice")->setCurrentIndex(index);
            Form().SelectDeviceChange(index);
        }
        // Device > Fuse; `whileOpen` runs once the opening reads are over, with the window shown.
        void OpenFuse(std::function<void()> whileOpen = {}) {
            line.ClearLog();
            dialogs.onShow = [whileOpen](QDialog&) {
                if (whileOpen)
                    whileOpen();
            };
            Form().FuseClick();
        }
        std::vector<std::string> Commands() { return programmer.CommandTexts(); }
        // The commands from the `from`-th on.
        std::vector<std::string> CommandsFrom(std::size_t from) {
            const std::vector<std::string> all = Commands();
            return {all.begin() + static_cast<std::ptrdiff_t>(std::min(from, all.size())), all.end()};
        }
        std::string Sent() { return line.SentBytes(); }
    };

private slots:
    void OpeningFor89S53ShowsItsCaptionsAndReadsFuseThenLock() {
        Bench b;
        b.ConnectAndChoose("AT89S53");
        b.programmer.Chip("04").Lock(2);
        const std::size_t before = b.Commands().size();
        QString focused;
        b.OpenFuse(
            [&] { focused = b.Fuse().focusWidget() ? b.Fuse().focusWidget()->objectName() : QString(); });

        QCOMPARE(b.dialogs.shownTitles, QStringList{"Display & Program Fuse...AT89S53"});
        QVERIFY(!b.In<QGroupBox>("Fuse1")->isEnabled());
        QCOMPARE(b.In<QGroupBox>("Fuse1")->title(), QStringLiteral("FSTRT"));
        QCOMPARE(b.In<QGroupBox>("Fuse2")->title(), QStringLiteral("SPIEN"));
        QCOMPARE(b.Text("FuseBit1"), QStringLiteral("Fuse FSTRT"));
        QCOMPARE(b.Text("FuseBit2"), QStringLiteral("Fuse SPIEN"));
        // Fuse byte FEh (SPIEN programmed), lock byte F9h (lock bits 1 and 2 programmed).
        QCOMPARE(b.CommandsFrom(before), (std::vector<std::string>{"09000004", "08000004"}));
        QCOMPARE(b.Index("Fuse1"), -1);
        QCOMPARE(b.Index("Fuse2"), 0);
        QCOMPARE(b.Fields(), QStringList({"Not Present", "Enable(Program)", "Enable(Program)",
                                          "Enable(Program)", "Disable(Erase)"}));
        QCOMPARE(b.Text("FuseResult"), QStringLiteral("Read Fuse Complete"));
        QCOMPARE(b.Text("LockBit3"), QStringLiteral("Lock Bit3"));
        QCOMPARE(b.Button("CancleFuse")->text(), QStringLiteral("Exit"));
        QCOMPARE(focused, QStringLiteral("CancleFuse"));
        QVERIFY(b.Button("StartFuse")->isEnabled() && b.Button("ReadFuse")->isEnabled());
        // Nothing after the reads: the last byte out is the lock frame's checksum, not ENQ.
        QVERIFY(b.Sent().back() != char(ctl::ENQ));
        QVERIFY(b.dialogs.boxes.empty());
        QCOMPARE(b.Form().focusWidget(), b.Form().findChild<QPushButton*>("ResetCount"));
    }

    void The2313FuseByteFillsBothGroupsAndTheLockFields() {
        Bench b;
        b.ConnectAndChoose("AT90S2313");
        b.programmer.Settings().lowerCaseHex = true;  // the reply "5f"
        b.programmer.Chip("06").WriteFuses(0x01);     // FSTRT erased, SPIEN programmed
        b.programmer.Chip("06").Lock(1);
        b.OpenFuse();

        QCOMPARE(b.programmer.CommandTexts().back(), std::string("09000006"));
        QVERIFY(b.In<QGroupBox>("Fuse1")->isEnabled());
        QCOMPARE(b.In<QGroupBox>("Fuse1")->title(), QStringLiteral("FSTRT"));
        QCOMPARE(b.Index("Fuse1"), 1);
        QCOMPARE(b.Index("Fuse2"), 0);
        QCOMPARE(b.Fields(), QStringList({"Disable(Erase)", "Enable(Program)", "Enable(Program)",
                                          "Disable(Erase)", "Not Present"}));
        QCOMPARE(b.Text("FuseResult"), QStringLiteral("Read Fuse Complete"));
    }

    void WriteThatTheChipTakesPassesWithEnq() {
        Bench b;
        b.ConnectAndChoose("AT90S2313");
        sim::Chip& chip = b.programmer.Chip("06");
        b.OpenFuse([&] {
            b.Pick("Fuse1", 1);
            b.Pick("Fuse2", 0);
            b.Button("StartFuse")->click();
        });

        QCOMPARE(b.CommandsFrom(b.Commands().size() - 2), (std::vector<std::string>{"04000106", "09000006"}));
        QVERIFY(!chip.Fuse1Programmed() && chip.SpienProgrammed());
        QCOMPARE(b.Text("FuseResult"), QStringLiteral("Program Fuse Complete"));
        QCOMPARE(b.Sent().back(), char(ctl::ENQ));
        QCOMPARE(b.Index("Fuse1"), 1);
        QCOMPARE(b.Index("Fuse2"), 0);
        QVERIFY(b.dialogs.boxes.empty());
        QCOMPARE(b.Button("CancleFuse")->text(), QStringLiteral("Exit"));
    }

    void WriteThatDoesNotTakeShowsTheDeviceStateAndTheErrorBox() {
        Bench b;
        b.ConnectAndChoose("AT90S2313");
        // The chip acknowledges the write, but its fuses come back as they were (FSTRT and SPIEN
        // both erased: read-back 21h against 01h written).
        sim::Chip& chip = b.programmer.Chip("06");
        chip.WriteFuses(0x21);
        b.programmer.Firmware().OnCommand([&chip](const sim::CommandRecord& c) {
            if (c.exchange == sim::Exchange::ReadFuse)
                chip.WriteFuses(0x21);
        });
        std::size_t commandsBeforeWrite = 0;
        b.OpenFuse([&] {
            b.Pick("Fuse2", 0);
            commandsBeforeWrite = b.Commands().size();
            b.Button("StartFuse")->click();
        });

        QCOMPARE(b.CommandsFrom(commandsBeforeWrite), (std::vector<std::string>{"04000106", "09000006"}));
        QCOMPARE(b.Text("FuseResult"), QStringLiteral("Verify Fuse Error"));
        QCOMPARE(b.dialogs.boxes, (std::vector<Box>{{Box::Kind::Error, "Write Fuse Error"}}));
        QCOMPARE(b.Sent().back(), char(ctl::CAN));
        QCOMPARE(b.Sent().find(char(ctl::ENQ)), std::string::npos);
        // The groups show what the device reported, not the choice.
        QCOMPARE(b.Index("Fuse2"), 1);
        QCOMPARE(b.Button("CancleFuse")->text(), QStringLiteral("Exit"));
        QVERIFY(b.Button("StartFuse")->isEnabled());
    }

    void CancleWhileReadingAsksAndYesEndsTheRead() {
        Bench b;
        b.ConnectAndChoose("AT90S2313");
        b.programmer.Faults().Add(sim::Delayed({sim::Exchange::ReadFuse, 0}, 1'200'000));
        b.dialogs.answers.push_back(true);
        QString captionWhileBusy;
        bool writeWhileBusy = true;
        Millis pressedAt = 0;
        b.clock.After(300, [&] {
            captionWhileBusy = b.Button("CancleFuse")->text();
            writeWhileBusy = b.Button("StartFuse")->isEnabled();
            pressedAt = b.clock.Now();
            b.Button("CancleFuse")->click();
        });
        b.OpenFuse();

        QCOMPARE(captionWhileBusy, QStringLiteral("Cancle"));
        QVERIFY(!writeWhileBusy);
        QCOMPARE(b.dialogs.boxes,
                 (std::vector<Box>{{Box::Kind::Question, "Do you want to Stop Command..?"}}));
        QCOMPARE(b.Text("FuseResult"), QStringLiteral("Read Fuse Time-Out"));
        QCOMPARE(b.line.Log().back().byte, ctl::CAN);
        QCOMPARE(b.line.Log().back().at, pressedAt);
        QCOMPARE(b.Button("CancleFuse")->text(), QStringLiteral("Exit"));
        // The question closing gave the window the focus back; it did not read again.
        const std::vector<std::string> all = b.Commands();
        QCOMPARE(std::count(all.begin(), all.end(), std::string("09000006")), 1);
    }

    void CloseBoxDuringAReadClosesWhenTheReadIsOver() {
        Bench b;
        b.ConnectAndChoose("AT89S8252");
        bool visibleAfterClose = false;
        b.clock.After(200, [&] {
            b.Fuse().close();
            visibleAfterClose = b.Fuse().isVisible();
        });
        bool visibleAfterReads = true;
        b.OpenFuse([&] { visibleAfterReads = b.Fuse().isVisible(); });

        QVERIFY(visibleAfterClose);
        QVERIFY(!visibleAfterReads);
        // Both opening reads ran to their end before the window went.
        QCOMPARE(b.Commands().back(), std::string("08000004"));
        QCOMPARE(b.Text("FuseResult"), QStringLiteral("Read Fuse Complete"));
        QCOMPARE(b.Button("CancleFuse")->text(), QStringLiteral("Exit"));
        QVERIFY(b.Button("ReadFuse")->isEnabled());
    }

    void EscapeWhileIdleClosesAndSendsNothing() {
        Bench b;
        b.ConnectAndChoose("AT90S2343");
        std::string sentBefore;
        bool visible = true;
        b.OpenFuse([&] {
            sentBefore = b.Sent();
            QTest::keyClick(&b.Fuse(), Qt::Key_Escape);
            visible = b.Fuse().isVisible();
        });
        QVERIFY(!visible);
        QCOMPARE(b.Sent(), sentBefore);
        QCOMPARE(b.In<QGroupBox>("Fuse1")->title(), QStringLiteral("RCEN"));
        QCOMPARE(b.Text("FuseBit1"), QStringLiteral("Fuse RCEN"));
    }

    void FuseWithoutAProgrammerShowsNoWindow() {
        Bench b;
        b.Choose("AT89S53");
        b.OpenFuse();
        QCOMPARE(b.dialogs.boxes, (std::vector<Box>{{Box::Kind::Plain, "Comport Not Connect"}}));
        QVERIFY(b.dialogs.shown.isEmpty());
        QVERIFY(b.Sent().empty());
        QCOMPARE(b.Form().focusWidget(), b.Form().findChild<QPushButton*>("ResetCount"));
    }
};

QTEST_MAIN(FuseFormTest)
#include "FuseFormTest.moc"
