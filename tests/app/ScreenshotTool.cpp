// Takes the README's pictures on a real display (run it under xvfb-run): the main window after a
// passing Auto against the simulated programmer, the buffer viewer and the fuse window. The
// session runs on the virtual clock, so the pictures come out the same every time.
//
//   xvfb-run -a -s "-screen 0 1280x1024x24" kvqor-screenshots docs/

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <cstdio>

#include "SimBench.h"
#include "app/EditForm.h"
#include "app/FuseForm.h"
#include "device/Catalogue.h"

using namespace kvqor;
using namespace kvqor::app;
using namespace kvqor::app::test;

namespace {

bool Snap(QWidget& w, const QString& path) {
    w.show();
    if (!QTest::qWaitForWindowExposed(&w))
        return false;
    QTest::qWait(200);  // let the window manager and the paint settle
    const QPixmap shot = w.screen()->grabWindow(w.winId());
    return !shot.isNull() && shot.save(path);
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: kvqor-screenshots OUTPUT_DIR\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    out.mkpath(QStringLiteral("."));
    SetUpApplication();

    SimBench bench(kSimulatedProgrammer);
    sim::VirtualClock& clock = bench.clock;
    ScriptedDialogs& dialogs = bench.dialogs;
    const Forms& forms = bench.forms;
    TQORForm& form = *forms.QORForm;
    form.show();

    auto* portBox = form.findChild<QComboBox*>(QStringLiteral("SelectComPort"));
    const int sim = portBox->findText(kSimulatedProgrammer);
    portBox->setCurrentIndex(sim);
    form.SelectComPortChange(sim);
    auto* deviceBox = form.findChild<QComboBox*>(QStringLiteral("SelectDevice"));
    deviceBox->setCurrentIndex(1);  // AT89C2051
    form.SelectDeviceChange(1);
    dialogs.openNames.push_back(QStringLiteral(KVQOR_FIXTURES "/pattern_2048B.hex"));
    form.FileOpen1Execute();

    // Run once; when the sequence has passed, take the picture, then Exit.
    bool mainTaken = false;
    auto* run = form.findChild<QPushButton*>(QStringLiteral("StartRun"));
    auto* stop = form.findChild<QPushButton*>(QStringLiteral("StopRun"));
    clock.After(100, [run] { run->click(); });
    std::function<void()> watch = [&] {
        if (run->isEnabled() && form.GetSession().PassTotal() == 1) {
            mainTaken = Snap(form, out.filePath(QStringLiteral("main-window-auto-pass.png")));
            stop->click();
            return;
        }
        clock.After(50, watch);
    };
    clock.After(200, watch);
    form.RunDeviceCommand(Operation::Auto);

    forms.EditForm->move(form.pos() + QPoint(40, 40));
    const bool viewerTaken = Snap(*forms.EditForm, out.filePath(QStringLiteral("buffer-viewer.png")));
    forms.EditForm->hide();

    // The fuse window of an AT90S2313 whose FSTRT fuse is erased and lock bit 1 programmed, as
    // it stands after the opening read.
    const int avr = static_cast<int>(*FindDevice("AT90S2313"));
    deviceBox->setCurrentIndex(avr);
    form.SelectDeviceChange(avr);
    bench.programmer.Chip("06").WriteFuses(0x01);
    bench.programmer.Chip("06").Lock(1);
    bool fuseTaken = false;
    dialogs.onShow = [&](QDialog& window) {
        window.move(form.pos() + QPoint(80, 80));
        fuseTaken = Snap(window, out.filePath(QStringLiteral("fuse-window.png")));
    };
    form.FuseClick();

    std::printf("main window: %s, viewer: %s, fuse window: %s\n", mainTaken ? "saved" : "FAILED",
                viewerTaken ? "saved" : "FAILED", fuseTaken ? "saved" : "FAILED");
    return mainTaken && viewerTaken && fuseTaken ? 0 : 1;
}
