// The terminal the ports share: one stop question for all ports a Ctrl-C stopped, and the
// progress bar.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <sstream>
#include <thread>

#include "cli/Console.h"
#include "link/Link.h"

namespace kvqor::cli {
namespace {

void WaitUntil(const std::function<bool()>& condition) {
    while (!condition())
        std::this_thread::sleep_for(std::chrono::microseconds(100));
}

TEST(ConsoleQuestion, OneCtrlCAsksOnceForEveryPortAndAnswersThemAll) {
    std::ostringstream out, err;
    ConsoleSettings settings;
    settings.interactive = true;
    settings.multiPort = true;
    Console console(settings, out, err, {"Com1", "Com2"});
    std::atomic<int> interrupts{0};
    std::atomic<int> confirmed{0};
    for (std::size_t port : {0u, 1u}) {
        console.Attach(port, {[](std::function<void()> task) { task(); }, [&] { ++interrupts; }, [] {},
                              [&] { ++confirmed; }});
    }
    console.Interrupt();
    EXPECT_EQ(interrupts.load(), 2);

    // Both ports' waits ask; one question is shown, and the one answer is theirs.
    std::atomic<int> noes{0};
    std::thread first([&] { noes += console.AskStop(0) ? 0 : 1; });
    std::thread second([&] { noes += console.AskStop(1) ? 0 : 1; });
    WaitUntil([&] { return console.WaitsForInput(); });
    console.Input("n");
    first.join();
    second.join();
    EXPECT_EQ(noes.load(), 2);
    EXPECT_EQ(confirmed.load(), 0);
    EXPECT_EQ(err.str(), std::string(kStopQuestion) + " [Y/n] ");
    // Answered No: a Ctrl-C that reaches a port late does not stop it.
    EXPECT_FALSE(console.StopWanted());
}

TEST(ConsoleQuestion, PortStartingAfterCtrlCIsStoppedToo) {
    std::ostringstream out, err;
    Console console({}, out, err, {"Com1"});
    console.Interrupt();
    bool interrupted = false;
    console.Attach(0,
                   {[](std::function<void()> task) { task(); }, [&] { interrupted = true; }, [] {}, [] {}});
    EXPECT_TRUE(interrupted);
}

TEST(ConsoleMessages, SameTextTwiceInARowFromOnePortIsPrintedOnce) {
    std::ostringstream out, err;
    Console console({}, out, err, {"Com1", "Com2"});
    console.Message(0, MessageKind::Error, "Comport Not Found");
    console.Message(0, MessageKind::Error, "Comport Not Found");
    console.Message(1, MessageKind::Error, "Comport Not Found");
    console.Message(0, MessageKind::Warning, "End Buffer Over End Device");
    console.Message(0, MessageKind::Error, "Save File Error!!!\n/x.hex: No space left on device");
    EXPECT_EQ(err.str(),
              "kvqor-cli: Com1: Comport Not Found\nkvqor-cli: Com2: Comport Not Found\n"
              "kvqor-cli: Com1: warning: End Buffer Over End Device\n"
              "kvqor-cli: Com1: Save File Error!!! /x.hex: No space left on device\n");
}

// ---- the progress bar

struct BarCase {
    const char* name;
    std::vector<ProgressView> ports;
    int width;
    std::string line;
};
void PrintTo(const BarCase& c, std::ostream* os) {
    *os << c.name;
}

class Bar : public ::testing::TestWithParam<BarCase> {};

TEST_P(Bar, Renders) {
    const BarCase& c = GetParam();
    EXPECT_EQ(RenderProgress(c.ports, c.width), c.line);
    EXPECT_LT(c.line.size(), static_cast<std::size_t>(c.width));
}

const BarCase kBars[] = {
    {"Half",
     {{"Com1", "Program.......03FF", true, 0x3FF, 0x7FF}},
     80,
     "Program.......03FF [###################.....................]  49%"},
    {"Full",
     {{"Com1", "Erase.........Pass", true, 0x7FF, 0x7FF}},
     80,
     "Erase.........Pass [########################################] 100%"},
    {"NarrowTerminal",
     {{"Com1", "Read..........0400", true, 0x400, 0x7FF}},
     40,
     "Read..........0400 [######.......]  50%"},
    {"NoRoomForABar", {{"Com1", "Read..........0400", true, 0x400, 0x7FF}}, 28, "Read..........0400  50%"},
    {"Hidden", {{"Com1", "Erase.........Pass", false, 0, 0x7FF}}, 80, ""},
    {"SeveralPorts",
     {{"sim1", "x", true, 0x400, 0x800}, {"sim2", "y", false, 0, 0}, {"sim3", "z", true, 0x800, 0x800}},
     80,
     "sim1 50%  sim2 -  sim3 100%"},
    {"ControlCharactersInAReport",
     {{"Com1", "Verify...Fail:\x1b[2J", true, 0x800, 0x800}},
     80,
     "Verify...Fail:.[2J [########################################] 100%"},
};
INSTANTIATE_TEST_SUITE_P(Lines, Bar, ::testing::ValuesIn(kBars),
                         [](const ::testing::TestParamInfo<BarCase>& p) { return p.param.name; });

TEST(ConsoleBar, DrawnOverItselfAndClearedBeforeOtherOutput) {
    std::ostringstream out, err;
    ConsoleSettings settings;
    settings.progressBar = true;
    Console console(settings, out, err, {"Com1"});
    console.Progress(0).SetText("Program.......0000");
    console.Progress(0).Show(0x7FF);
    console.DrawProgress();
    EXPECT_EQ(out.str(), "\rProgram.......0000 [........................................]   0%\x1b[K");
    out.str("");
    console.Message(0, MessageKind::Error, "Comport Not Found");
    EXPECT_EQ(out.str(), "\r\x1b[K");  // the bar's line is emptied before the message
    out.str("");
    console.Progress(0).Hide();
    console.DrawProgress();
    EXPECT_EQ(out.str(), "");
}

TEST(ConsoleBar, NeverDrawnWithoutATerminal) {
    std::ostringstream out, err;
    Console console({}, out, err, {"Com1"});
    console.Progress(0).Show(0x7FF);
    console.DrawProgress();
    console.ClearProgress();
    EXPECT_EQ(out.str(), "");
}

}  // namespace
}  // namespace kvqor::cli
