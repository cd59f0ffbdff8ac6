// kvqor-cli on a production line: files it writes (read FILE, --json, --log, --trace), --repeat
// driven through standard input, Ctrl-C and SIGTERM, several programmers at once.

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <filesystem>
#include <fstream>
#include <regex>

#include "device/IntelHex.h"
#include "tests/cli/CliTestSupport.h"
#include "tests/cli/VirtualEnvironment.h"

namespace kvqor::cli {
namespace {

using sim::Exchange;
using namespace test;
namespace fs = std::filesystem;

class Production : public CliFixture {
protected:
    void SetUp() override { folder = TestFolder(); }
    std::string In(const char* name) const { return (folder / name).string(); }

    fs::path folder;
};

// ---- files the run writes

TEST_F(Production, ReadSavesExactlyWhatTheChipHolds) {
    env.ports["vA"].prepare = [](sim::Bench& b, Console&) {
        std::vector<std::uint8_t> pattern(0x1000);
        for (std::size_t a = 0; a < pattern.size(); ++a)
            pattern[a] = static_cast<std::uint8_t>(a * 7 + (a >> 8));
        b.programmer.Chip("03").Fill(pattern);
    };
    const CliRun run = Run({"-p", "vA", "-d", "AT89C51", "read", In("chip.hex")});
    ASSERT_EQ(run.status, 0) << run.err;

    HexImage saved;
    saved.fill(0xFF);
    const HexReadResult read = ReadIntelHex(ReadText(folder / "chip.hex"), saved);
    EXPECT_EQ(read.dataRecords, 256u);
    EXPECT_EQ(read.badChecksums, 0u);
    const auto& chip = BenchOf(0).programmer.Chip("03").Memory();
    EXPECT_TRUE(std::equal(chip.begin(), chip.begin() + 0x1000, saved.begin()));
    EXPECT_EQ(saved[0x1000], 0xFF);  // nothing beyond the part's range
    EXPECT_EQ(
        Lines(run.out).back(), "Checksum : " + [&] {
            unsigned sum = 0;
            for (std::size_t a = 0; a < 0x1000; ++a)
                sum += chip[a];
            char text[8];
            std::snprintf(text, sizeof text, "%04XH", sum & 0xFFFF);
            return std::string(text);
        }());
}

TEST_F(Production, FailedReadLeavesTheFileAlone) {
    std::ofstream(folder / "chip.hex") << "older";
    env.ports["vA"].prepare = [](sim::Bench& b, Console&) {
        b.programmer.Faults().Add(sim::Silence({Exchange::Read, 3}));
    };
    const CliRun run = Run({"-p", "vA", "-d", "AT89C51", "--force", "read", In("chip.hex")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(ReadText(folder / "chip.hex"), "older");
}

TEST_F(Production, JsonCarriesEveryPortsPassesAndOutcome) {
    env.ports["vB"].prepare = [](sim::Bench& b, Console&) {
        b.programmer.Faults().Add(sim::NakWith({Exchange::Verify, 1}, "0047"));
    };
    env.ports["vC"].openFails = true;
    const CliRun run =
        Run({"--json", "-p", "vA", "-p", "vB", "-p", "vC", "-d", "AT89C2051", "auto", kExample});
    EXPECT_EQ(run.status, 3);

    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(run.out), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << run.out;
    const QJsonObject top = doc.object();
    EXPECT_EQ(top["command"].toString(), "auto");
    EXPECT_EQ(top["device"].toString(), "AT89C2051");
    EXPECT_EQ(top["checksum"].toString(), "8538H");
    EXPECT_EQ(top["exitStatus"].toInt(), 3);
    const QJsonArray ports = top["ports"].toArray();
    ASSERT_EQ(ports.size(), 3);

    const QJsonObject a = ports[0].toObject();
    EXPECT_EQ(a["outcome"].toString(), "ran");
    EXPECT_EQ(a["exitStatus"].toInt(), 0);
    EXPECT_EQ(a["biosCode"].toString(), "SM/03/0101");
    const QJsonObject passA = a["passes"].toArray()[0].toObject();
    EXPECT_TRUE(passA["passed"].toBool());
    EXPECT_EQ(passA["lines"].toArray().last().toString(), "Auto Program..Pass");
    EXPECT_EQ(passA["success"].toInt(), 1);

    const QJsonObject b = ports[1].toObject();
    EXPECT_EQ(b["exitStatus"].toInt(), 1);
    const QJsonArray linesB = b["passes"].toArray()[0].toObject()["lines"].toArray();
    EXPECT_EQ(linesB[3].toString(), "Verify...Fail:0047");
    EXPECT_EQ(linesB[4].toString(), "Command......Abort");

    const QJsonObject c = ports[2].toObject();
    EXPECT_EQ(c["outcome"].toString(), "open-failed");
    EXPECT_EQ(c["exitStatus"].toInt(), 3);
    EXPECT_EQ(c["error"].toString(), "cannot open vC: No such file or directory");
    EXPECT_TRUE(c["passes"].toArray().isEmpty());
}

TEST_F(Production, LogAppendsOneRowPerPassUnderOneHeader) {
    const std::string log = In("line.csv");
    ASSERT_EQ(Run({"-p", "vA", "-d", "AT89C2051", "--log", log, "program", kExample}).status, 0);
    env = VirtualEnvironment{};
    env.ports["vA"].prepare = [](sim::Bench& b, Console&) { b.programmer.Chip("03").Fill(0x12); };
    ASSERT_EQ(Run({"-p", "vA", "-d", "AT89C52", "--log", log, "blank"}).status, 1);

    const std::vector<std::string> rows = Lines(ReadText(log));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], "time,port,programmer,part,operation,file,checksum,result,failure");
    const std::regex time(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d{4})");
    EXPECT_TRUE(std::regex_match(rows[1].substr(0, rows[1].find(',')), time)) << rows[1];
    EXPECT_EQ(rows[1].substr(rows[1].find(',')),
              ",vA,SM/03/0101,AT89C2051,program," + kExample + ",8538H,pass,");
    EXPECT_EQ(rows[2].substr(rows[2].find(',')),
              ",vA,SM/03/0101,AT89C52,blank,,,fail,Blank.........Fail; Command......Abort");
}

TEST_F(Production, TraceHasEveryByteWithItsTime) {
    const std::string trace = In("line.trace");
    ASSERT_EQ(Run({"-p", "vA", "--trace", trace, "identify"}).status, 0);
    const std::vector<std::string> lines = Lines(ReadText(trace));
    ASSERT_EQ(lines.size(), 27u);
    EXPECT_EQ(lines[0].substr(0, 1), "#");
    // The frame: CAN, the 100 ms pause, STX, 0D000000, ETX and its checksum "10".
    const std::vector<std::string> frame{
        "0 vA > 18 CAN",   "100 vA > 02 STX", "100 vA > 30 '0'", "100 vA > 44 'D'", "100 vA > 30 '0'",
        "100 vA > 30 '0'", "100 vA > 30 '0'", "100 vA > 30 '0'", "100 vA > 30 '0'", "100 vA > 30 '0'",
        "100 vA > 03 ETX", "100 vA > 31 '1'", "100 vA > 30 '0'"};
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 1, lines.begin() + 14), frame);
    // Then the code "SM030101" and its sum, DC3, ACK, CAN.
    EXPECT_NE(lines[14].find(" vA < 53 'S'"), std::string::npos);
    const std::vector<std::string> tail(lines.end() - 3, lines.end());
    EXPECT_NE(tail[0].find(" vA > 13 DC3"), std::string::npos);
    EXPECT_NE(tail[1].find(" vA < 06 ACK"), std::string::npos);
    EXPECT_NE(tail[2].find(" vA > 18 CAN"), std::string::npos);
}

// ---- production mode through standard input

TEST_F(Production, RepeatRunsAPassForEachEnterUntilQ) {
    env.operatorSteps = {Types(""), Types("  "), Types("next"), Types("q")};
    const CliRun run = Run({"-p", "vA", "-d", "AT89C51", "--repeat", "erase"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              "Erase.........Pass\nSuccess : 1\nFailure : 0\n"
              "Erase.........Pass\nSuccess : 2\nFailure : 0\n"
              "Erase.........Pass\nSuccess : 3\nFailure : 0\n");
    // "next" is neither Enter nor q: the prompt comes again.
    EXPECT_EQ(run.err,
              std::string("Enter: Run the next device, q: Exit\nEnter: Run the next device, q: Exit\n") +
                  "Enter: Run the next device, q: Exit\nEnter: Run the next device, q: Exit\n");
    EXPECT_EQ(BenchOf(0).programmer.Firmware().EnqCount(), 3);
}

TEST_F(Production, RepeatGoesOnAfterAFailedDeviceAndExitsWithOne) {
    env.ports["vA"].prepare = [](sim::Bench& b, Console&) {
        b.programmer.Faults().Add(sim::NakWith({Exchange::Erase, 0}, ""));  // the first device only
    };
    env.operatorSteps = {Types(""), Types("q")};
    const CliRun run = Run({"-p", "vA", "-d", "AT89C51", "--repeat", "erase"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out,
              "Erase.........Fail\nCommand......Abort\nSuccess : 0\nFailure : 1\n"
              "Erase.........Pass\nSuccess : 1\nFailure : 1\n");
}

TEST_F(Production, RepeatEndsWithTheInput) {
    const CliRun run = Run({"-p", "vA", "-d", "AT89C51", "--repeat", "blank"});  // no line at all
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "Blank.........Pass\nSuccess : 1\nFailure : 0\n");
}

// ---- Ctrl-C and SIGTERM

// Ctrl-C while the blank check waits for its reply, which comes after 5 s.
void CtrlCDuringBlank(sim::Bench& b, Console& console) {
    b.programmer.Faults().Add(sim::Delayed({Exchange::BlankCheck, 0}, 5'000'000));
    b.clock.At(1000, [&console] { console.Interrupt(); });
}

TEST_F(Production, CtrlCWithoutATerminalStopsAtOnce) {
    env.ports["vA"].prepare = CtrlCDuringBlank;
    const CliRun run = Run({"-p", "vA", "-d", "AT89C51", "blank"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "Blank.....Time-Out\nCommand......Abort\nSuccess : 0\nFailure : 1\n");
    EXPECT_EQ(run.err, "Do you want to Stop Command..? Yes\n");
    EXPECT_LT(BenchOf(0).clock.Now(), 1100);  // stopped at once, not after the 15 s limit
}

struct QuestionCase {
    const char* name;
    std::vector<OperatorStep> steps;
    int status;
    const char* line1;
};
void PrintTo(const QuestionCase& c, std::ostream* os) {
    *os << c.name;
}

class StopQuestion : public Production, public ::testing::WithParamInterface<QuestionCase> {};

TEST_P(StopQuestion, IsAskedOnTheTerminal) {
    const QuestionCase& c = GetParam();
    env.inIsTerminal = true;
    env.ports["vA"].prepare = CtrlCDuringBlank;
    env.operatorSteps = c.steps;
    const CliRun run = Run({"-p", "vA", "-d", "AT89C51", "blank"});
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(Lines(run.out).front(), c.line1);
    EXPECT_EQ(run.err.substr(0, 37), "Do you want to Stop Command..? [Y/n] ");
}

const QuestionCase kQuestionCases[] = {
    {"AnsweredYes", {Types("y")}, 1, "Blank.....Time-Out"},
    {"EnterMeansYes", {Types("")}, 1, "Blank.....Time-Out"},
    {"AnsweredNoTheReplyStillCounts", {Types("n")}, 0, "Blank.........Pass"},
    {"SecondCtrlCMeansYes", {PressesCtrlC()}, 1, "Blank.....Time-Out"},
    {"EndOfInputMeansYes", {}, 1, "Blank.....Time-Out"},
    {"AskedAgainUntilYOrN", {Types("maybe"), Types("no")}, 0, "Blank.........Pass"},
};
INSTANTIATE_TEST_SUITE_P(Answers, StopQuestion, ::testing::ValuesIn(kQuestionCases),
                         [](const ::testing::TestParamInfo<QuestionCase>& p) { return p.param.name; });

TEST_F(Production, CtrlCWhileACommandIsSentStillStopsAtOnce) {
    env.ports["vA"].prepare = [](sim::Bench& b, Console& console) {
        // Inside the pause of the erase frame, after its CAN: the stop drops one character of the
        // frame, and the reply would be waited for 15 s.
        b.clock.At(150, [&console] { console.Interrupt(); });
    };
    const CliRun run = Run({"-p", "vA", "-d", "AT89C51", "erase"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "Erase.....Time-Out\nCommand......Abort\nSuccess : 0\nFailure : 1\n");
    EXPECT_LT(BenchOf(0).clock.Now(), 1000);
    EXPECT_EQ(BenchOf(0).programmer.Firmware().Commands().size(), 1u);  // the erase frame never counted
}

TEST_F(Production, CtrlCDuringATransferIsABreak) {
    env.ports["vA"].prepare = [](sim::Bench& b, Console& console) {
        b.clock.At(1500, [&console] { console.Interrupt(); });
    };
    const CliRun run = Run({"-p", "vA", "-d", "AT89C2051", "--repeat", "program", kExample});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "Program......Break\nCommand......Abort\nSuccess : 0\nFailure : 1\n");
    // A stopped production run does not ask for the next device.
    EXPECT_EQ(run.err.find("Enter: Run"), std::string::npos);
    EXPECT_EQ(BenchOf(0).wire.SentBytes().back(), '\x18');
}

TEST_F(Production, CtrlCAtThePromptExits) {
    env.operatorSteps = {PressesCtrlC()};
    const CliRun run = Run({"-p", "vA", "-d", "AT89C51", "--repeat", "erase"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "Erase.........Pass\nSuccess : 1\nFailure : 0\n");
}

TEST_F(Production, TerminateStopsWithoutAQuestion) {
    env.inIsTerminal = true;
    env.ports["vA"].prepare = [](sim::Bench& b, Console& console) {
        b.clock.At(1500, [&console] { console.Terminate(); });
    };
    const CliRun run = Run({"-p", "vA", "-d", "AT89C2051", "read"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "Read.........Break\nCommand......Abort\nSuccess : 0\nFailure : 1\n");
    EXPECT_EQ(run.err, "");
}

TEST_F(Production, CtrlCDuringAFuseReadCancelsIt) {
    env.ports["vA"].prepare = [](sim::Bench& b, Console& console) {
        b.programmer.Faults().Add(sim::Delayed({Exchange::ReadLock, 0}, 1'200'000));
        b.clock.At(800, [&console] { console.Interrupt(); });
    };
    const CliRun run = Run({"-p", "vA", "-d", "AT89S8252", "fuse-read"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(Lines(run.out).back(), "Read Lock Time-Out");
}

// ---- several programmers at once

TEST_F(Production, FourProgrammersOneFailingTheOthersPass) {
    env.ports["vC"].prepare = [](sim::Bench& b, Console&) {
        b.programmer.Faults().Add(sim::NakWith({Exchange::Program, 5}, "0140"));
    };
    const CliRun run =
        Run({"-p", "vA", "-p", "vB", "-p", "vC", "-p", "vD", "-d", "AT89C2051", "auto", kExample});
    EXPECT_EQ(run.status, 1);
    const std::string passed =
        "Erase.........Pass\n{}Blank.........Pass\n{}Program.......Pass\n{}Verify........Pass\n"
        "{}Lock..........Pass\n{}Auto Program..Pass\n{}Success : 1\n{}Failure : 0\n";
    auto tagged = [](std::string text, const std::string& label) {
        std::string out = label + ": ";
        for (std::size_t at; (at = text.find("{}")) != std::string::npos;)
            text.replace(at, 2, label + ": ");
        return out + text;
    };
    EXPECT_EQ(run.out, tagged(passed, "vA") + tagged(passed, "vB") +
                           "vC: Erase.........Pass\nvC: Blank.........Pass\nvC: Program..Fail:0140\n"
                           "vC: Command......Abort\nvC: Success : 0\nvC: Failure : 1\n" +
                           tagged(passed, "vD"));
    for (std::size_t port : {0u, 1u, 3u})
        EXPECT_EQ(BenchOf(port).programmer.Chip("01").LockLevel(), 2);
}

TEST_F(Production, RepeatRunsEveryProgrammerForEachEnter) {
    env.ports["vB"].prepare = [](sim::Bench& b, Console&) {
        sim::Fault second = sim::NakWith({Exchange::Erase, 0}, "");
        second.skip = 1;  // the second device in this socket fails
        b.programmer.Faults().Add(second);
    };
    env.operatorSteps = {Types(""), Types(""), Types("q")};
    const CliRun run = Run({"-p", "vA", "-p", "vB", "-d", "AT89C51", "--repeat", "erase"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out,
              "vA: Erase.........Pass\nvA: Success : 1\nvA: Failure : 0\n"
              "vB: Erase.........Pass\nvB: Success : 1\nvB: Failure : 0\n"
              "vA: Erase.........Pass\nvA: Success : 2\nvA: Failure : 0\n"
              "vB: Erase.........Fail\nvB: Command......Abort\nvB: Success : 1\nvB: Failure : 1\n"
              "vA: Erase.........Pass\nvA: Success : 3\nvA: Failure : 0\n"
              "vB: Erase.........Pass\nvB: Success : 2\nvB: Failure : 1\n");
}

TEST_F(Production, SeveralSimulatedProgrammersAreToldApart) {
    const CliRun run = Run({"-p", "sim", "-p", "sim", "identify"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "sim1: SM/03/0101\nsim2: SM/03/0101\n");
}

TEST_F(Production, ProgrammerMissingOnOnePortIsTheWorstStatus) {
    env.ports["vB"].prepare = [](sim::Bench& b, Console&) {
        b.programmer.Faults().Add(sim::Silence({Exchange::Identify, 0}));
    };
    const CliRun run = Run({"-p", "vA", "-p", "vB", "-d", "AT89C51", "erase"});
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.out, "vA: Erase.........Pass\nvA: Success : 1\nvA: Failure : 0\n");
    EXPECT_EQ(run.err, "kvqor-cli: vB: Hardware Not Found\n");
}

// ---- the terminal

TEST_F(Production, WithoutATerminalTheOutputHasNoControlCharacters) {
    env.ports["vA"].prepare = [](sim::Bench& b, Console&) {
        b.programmer.Faults().Add(sim::NakWith({Exchange::Verify, 2}, "\x07\x1b\r\n"));
    };
    const CliRun run = Run({"-p", "vA", "-d", "AT89C2051", "auto", kExample});
    EXPECT_EQ(run.status, 1);
    for (char c : run.out)
        EXPECT_TRUE(c == '\n' || (c >= 0x20 && c < 0x7F)) << int(c);
    EXPECT_NE(run.out.find("Verify...Fail:....\n"), std::string::npos);
}

}  // namespace
}  // namespace kvqor::cli
