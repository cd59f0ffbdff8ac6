// Program and Read of a full AT89C55 over a pseudo-terminal against the simulated programmer:
// how close the transfers come to the line's own speed, the CPU they cost, the CPU an operation
// costs while it waits for Run, and the same transfers with the line unpaced.
// Prints its figures; it is not a test.

#include <sys/resource.h>

#include <QCoreApplication>
#include <QTimer>
#include <chrono>
#include <cstdio>

#include "device/Catalogue.h"
#include "tests/e2e/PtySession.h"

namespace kvqor {
namespace {

double ThreadCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double WallSeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

sim::FirmwareSettings Settings(bool paced) {
    sim::FirmwareSettings s;
    // The firmware answers at once: what is left is the line and the PC.
    s.timing.paced = paced;
    s.timing.reply = 0;
    s.timing.programBlock = 0;
    s.timing.verifyBlock = 0;
    s.timing.readBlock = 0;
    s.timing.erase = 0;
    s.timing.blankCheck = 0;
    s.timing.lock = 0;
    return s;
}

struct Figures {
    double wall = 0;
    double cpu = 0;
    long chars = 0;
    bool passed = false;
};

Figures Measure(PtySession& line, Operation op) {
    long chars = 0;
    line.session.GetLink().SetTrace([&chars](TraceDirection, std::uint8_t, Millis) { ++chars; });
    const double wall0 = WallSeconds();
    const double cpu0 = ThreadCpuSeconds();
    const bool passed = line.RunOnce(op);
    Figures f{WallSeconds() - wall0, ThreadCpuSeconds() - cpu0, chars, passed};
    line.session.GetLink().SetTrace(nullptr);
    return f;
}

void Report(const char* what, const Figures& f, bool paced) {
    // Ten bits a character at 19200 baud; the 100 ms pause of the command frame is part of the
    // protocol, not of the line, and is added to the line's own time.
    const double lineSeconds = static_cast<double>(f.chars) * 10.0 / 19200.0 + 0.1;
    if (paced) {
        std::printf(
            "%-28s %s  %7.2f s for %6ld chars; line's own time %7.2f s; ratio %.3f (goal <= 1.02); "
            "CPU %.2f %% of one core (goal <= 5 %%)\n",
            what, f.passed ? "pass" : "FAIL", f.wall, f.chars, lineSeconds, f.wall / lineSeconds,
            100.0 * f.cpu / f.wall);
    } else {
        std::printf("%-28s %s  %7.3f s for %6ld chars (goal < 0.5 s); CPU %.2f s\n", what,
                    f.passed ? "pass" : "FAIL", f.wall, f.chars, f.cpu);
    }
}

int Run() {
    HexImage image{};
    for (std::size_t a = 0; a < image.size(); ++a)
        image[a] = static_cast<std::uint8_t>(a * 37 + (a >> 8));

    for (const bool paced : {true, false}) {
        PtySession line(Settings(paced));
        line.Connect();
        Workspace& ws = line.session.GetWorkspace();
        ws.SelectDeviceChange(static_cast<int>(*FindDevice("AT89C55")));
        ws.Buffer.HexBuffer = image;
        Report(paced ? "Program AT89C55 at 19200" : "Program AT89C55 unpaced",
               Measure(line, Operation::Program), paced);
        Report(paced ? "Read AT89C55 at 19200" : "Read AT89C55 unpaced", Measure(line, Operation::Read),
               paced);

        if (paced) {
            // An operation that waits three seconds for Run, then Exit.
            QTimer::singleShot(3000, [&line] { line.session.StopRunClick(); });
            const double wall0 = WallSeconds();
            const double cpu0 = ThreadCpuSeconds();
            line.session.RunOperation(Operation::Erase);
            const double wall = WallSeconds() - wall0;
            std::printf("%-28s       %7.2f s; CPU %.3f %% of one core (goal about 0)\n", "Waiting for Run",
                        wall, 100.0 * (ThreadCpuSeconds() - cpu0) / wall);
        }
    }
    return 0;
}

}  // namespace
}  // namespace kvqor

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return kvqor::Run();
}
