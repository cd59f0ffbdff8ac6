// A whole working session at the window, against the simulated programmer on the virtual clock:
// port, part and file, then Program, Verify, Read and Auto with Run presses, Stop answered No and
// Yes, Exit, and closing the window in the middle of a pass.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "SimBench.h"
#include "link/ControlBytes.h"

using namespace kvqor;
using namespace kvqor::app;
using namespace kvqor::app::test;

namespace {
const QString kFixture = QStringLiteral(KVQOR_FIXTURES "/pattern_2048B.hex");
constexpr int kAT89C2051 = 1;  // end 07FFh, algorithm code 01, two lock bits
}  // namespace

class SessionTest : public QObject {
    Q_OBJECT

private:
    struct Bench : SimBench {
        QPushButton* Button(const char* name) { return Form().findChild<QPushButton*>(name); }
        QString Text(const char* name) {
            if (auto* l = Form().findChild<QLabel*>(name))
                return l->text();
            return Form().findChild<QLineEdit*>(name)->text();
        }
        QStringList Lines() {
            QStringList lines;
            for (int n = 1; n <= 6; ++n)
                lines << Text(QStringLiteral("DisplayRun%1").arg(n).toLatin1().constData());
            return lines;
        }
        void ClickAt(Millis at, const char* button) {
            clock.At(at, [this, button] { Button(button)->click(); });
        }
        // Runs a Device command: `passes` presses of Run, each once the window waits for it again,
        // then Exit.
        void Run(Operation op, int passes) {
            int pressed = 0;
            std::function<void()> next = [&] {
                if (pressed < passes && Button("StartRun")->isEnabled()) {
                    ++pressed;
                    Button("StartRun")->click();
                } else if (pressed == passes && Button("StartRun")->isEnabled()) {
                    Button("StopRun")->click();
                    return;
                }
                clock.After(50, next);
            };
            clock.After(50, next);
            Form().RunDeviceCommand(op);
        }
        std::size_t Count(std::uint8_t byte) {
            const std::string sent = line.SentBytes();
            return static_cast<std::size_t>(std::count(sent.begin(), sent.end(), static_cast<char>(byte)));
        }
    };

    // What the chip holds from 0000h to 07FFh.
    static QByteArray ChipContent(Bench& b) {
        const auto& cells = b.programmer.Chip("01").Memory();
        return QByteArray(reinterpret_cast<const char*>(cells.data()), 0x800);
    }
    static QByteArray BufferContent(Bench& b) {
        const auto& buf = b.Form().GetWorkspace().Buffer.HexBuffer;
        return QByteArray(reinterpret_cast<const char*>(buf.data()), 0x800);
    }

private slots:
    void AWorkingSession() {
        Bench b;
        // Port, part, file.
        b.Form().SelectComPortChange(0);
        QCOMPARE(b.Text("QOR_Code"), QStringLiteral("SM/03/0101"));
        b.Form().findChild<QComboBox*>("SelectDevice")->setCurrentIndex(kAT89C2051);
        b.Form().SelectDeviceChange(kAT89C2051);
        b.dialogs.openNames.push_back(kFixture);
        b.Form().FileOpen1Execute();
        QCOMPARE(b.Text("SelectFileName"), QStringLiteral("pattern_2048B.hex"));
        QCOMPARE(b.Text("Buffer_End"), QStringLiteral("07FFH"));
        QCOMPARE(b.Text("Buffer_Sum"), QStringLiteral("FC00H"));

        // Program, one chip.
        b.Run(Operation::Program, 1);
        QCOMPARE(b.Text("PassCount"), QStringLiteral("Success : 1"));
        QCOMPARE(ChipContent(b), BufferContent(b));

        // Verify, two chips (the same one twice): two passes, two ENQ.
        const std::size_t enqBefore = b.Count(ctl::ENQ);
        b.Run(Operation::Verify, 2);
        QCOMPARE(b.Text("PassCount"), QStringLiteral("Success : 3"));
        QCOMPARE(b.Count(ctl::ENQ), enqBefore + 2);

        // Stop during a program pass, answered No: the pass goes on and passes.
        b.programmer.Chip("01").Erase();
        b.dialogs.answers.push_back(false);
        b.ClickAt(b.clock.Now() + 60, "StartRun");
        b.ClickAt(b.clock.Now() + 400, "StopRun");  // well inside the transfer
        b.clock.At(b.clock.Now() + 6000, [&] { b.Button("StopRun")->click(); });
        QString captionDuringPass;
        b.clock.At(b.clock.Now() + 300, [&] { captionDuringPass = b.Button("StopRun")->text(); });
        b.Form().RunDeviceCommand(Operation::Program);
        QCOMPARE(captionDuringPass, QStringLiteral("Stop"));
        QCOMPARE(b.dialogs.boxes,
                 (std::vector<Box>{{Box::Kind::Question, "Do you want to Stop Command..?"}}));
        QCOMPARE(b.Text("PassCount"), QStringLiteral("Success : 4"));
        QCOMPARE(ChipContent(b), BufferContent(b));

        // Stop during a verify pass, answered Yes: Break, abort line, one failure, CAN last.
        b.dialogs.boxes.clear();
        b.dialogs.answers.push_back(true);
        b.ClickAt(b.clock.Now() + 60, "StartRun");
        b.ClickAt(b.clock.Now() + 400, "StopRun");
        b.Form().RunDeviceCommand(Operation::Verify);
        QCOMPARE(b.dialogs.boxes.size(), std::size_t(1));
        QCOMPARE(b.Lines()[0], QStringLiteral("Verify.......Break"));
        QCOMPARE(b.Lines()[1], QStringLiteral("Command......Abort"));
        QCOMPARE(b.Text("FailCount"), QStringLiteral("Failure : 1"));
        QCOMPARE(b.line.SentBytes().back(), char(ctl::CAN));
        QCOMPARE(b.Text("DisplayCommand"), QStringLiteral("No Command Select?"));

        // Read a chip with other content: the buffer takes it, the file name goes.
        std::vector<std::uint8_t> other(0x800);
        for (std::size_t i = 0; i < other.size(); ++i)
            other[i] = static_cast<std::uint8_t>(0xA5 ^ i);
        b.programmer.Chip("01").Erase();
        b.programmer.Chip("01").Fill(other);
        b.Run(Operation::Read, 1);
        QCOMPARE(BufferContent(b), ChipContent(b));
        QVERIFY(b.Text("SelectFileName").isEmpty());
        QCOMPARE(b.Text("Buffer_End"), QStringLiteral("07FFH"));
        QCOMPARE(b.Text("PassCount"), QStringLiteral("Success : 5"));

        // Auto on a fresh chip: five steps, one success, one ENQ after the lock reply.
        b.programmer.Chip("01").Erase();
        const std::size_t enqs = b.Count(ctl::ENQ);
        QStringList linesAfterPass;
        int gaugeMax = 0;
        b.ClickAt(b.clock.Now() + 60, "StartRun");
        std::function<void()> watch = [&] {
            if (b.Button("StartRun")->isEnabled() && b.Lines()[5] == QStringLiteral("Auto Program..Pass")) {
                linesAfterPass = b.Lines();
                gaugeMax = b.Form().findChild<QProgressBar*>("PercentRun")->maximum();
                b.Button("StopRun")->click();
                return;
            }
            b.clock.After(50, watch);
        };
        b.clock.After(100, watch);
        b.Form().RunDeviceCommand(Operation::Auto);
        QCOMPARE(linesAfterPass,
                 QStringList({"Erase.........Pass", "Blank.........Pass", "Program.......Pass",
                              "Verify........Pass", "Lock..........Pass", "Auto Program..Pass"}));
        QCOMPARE(gaugeMax, 0x7FF);
        QCOMPARE(b.Text("PassCount"), QStringLiteral("Success : 6"));
        QCOMPARE(b.Count(ctl::ENQ), enqs + 1);
        QCOMPARE(ChipContent(b), BufferContent(b));
        QCOMPARE(b.programmer.Chip("01").LockLevel(), 2);
        QCOMPARE(b.Text("FailCount"), QStringLiteral("Failure : 1"));
        // Exit emptied the lines.
        QCOMPARE(b.Lines(), QStringList(6, QString()));
        QVERIFY(b.dialogs.boxes.size() == 1 && !b.dialogs.unanswered);
    }

    void ClosingTheWindowInTheMiddleOfAuto() {
        Bench b;
        b.Form().show();
        b.Form().SelectComPortChange(0);
        b.Form().SelectDeviceChange(kAT89C2051);
        b.dialogs.openNames.push_back(kFixture);
        b.Form().FileOpen1Execute();
        b.ClickAt(b.clock.Now() + 60, "StartRun");
        // Close while the program step sends its blocks.
        std::function<void()> watch = [&] {
            if (b.Lines()[2].startsWith(QStringLiteral("Program......."))) {
                b.Form().close();
                return;
            }
            b.clock.After(20, watch);
        };
        b.clock.After(20, watch);
        b.Form().RunDeviceCommand(Operation::Auto);
        QVERIFY(!b.Form().isVisible());
        QVERIFY(b.dialogs.boxes.empty());  // no stop question on the way out
        QCOMPARE(b.Lines()[2], QStringLiteral("Program......Break"));
        QCOMPARE(b.Lines()[3], QStringLiteral("Command......Abort"));
        QCOMPARE(b.line.SentBytes().back(), char(ctl::CAN));
        QCOMPARE(b.programmer.Firmware().CanCount() > 0, true);
    }
};

QTEST_MAIN(SessionTest)
#include "SessionTest.moc"
