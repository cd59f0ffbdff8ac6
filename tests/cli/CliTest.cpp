// kvqor-cli end to end against simulated programmers on virtual clocks: every command, the
// failures with their texts and exit statuses, bad input refused before anything is sent.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <span>

#include "device/IntelHex.h"
#include "link/ControlBytes.h"
#include "tests/cli/CliTestSupport.h"
#include "tests/cli/VirtualEnvironment.h"

namespace kvqor::cli {
namespace {

using sim::Exchange;
using namespace test;
namespace fs = std::filesystem;

HexImage ExampleImage() {
    HexImage image;
    image.fill(0xFF);
    ReadIntelHex(ReadText(kExample), image);
    return image;
}

// A chip that already holds the example firmware, so that verify passes.
void HoldsExample(sim::Bench& bench, Console&) {
    const HexImage image = ExampleImage();
    bench.programmer.Chip("01").Fill(std::span<const std::uint8_t>(image.data(), 0x800));
}

// ---- every command passes

struct PassCase {
    const char* name;
    std::vector<std::string> args;
    std::function<void(sim::Bench&, Console&)> prepare;
    std::string out;
    std::function<void(sim::Bench&)> check;
};
void PrintTo(const PassCase& c, std::ostream* os) {
    *os << c.name;
}

class EveryCommand : public CliFixture, public ::testing::WithParamInterface<PassCase> {};

TEST_P(EveryCommand, PassesAndPrintsTheWindowsTexts) {
    const PassCase& c = GetParam();
    env.ports["vA"].prepare = c.prepare;
    const CliRun run = Run(c.args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, c.out);
    EXPECT_EQ(run.err, "");
    if (c.check)
        c.check(BenchOf(0));
}

const PassCase kPassCases[] = {
    {"Identify", {"-p", "vA", "identify"}, nullptr, "SM/03/0101\n", nullptr},
    {"Erase",
     {"-p", "vA", "-d", "AT89C51", "erase"},
     [](sim::Bench& b, Console&) { b.programmer.Chip("03").Fill(0x00); },
     "Erase.........Pass\n" + Counters(1, 0),
     [](sim::Bench& b) { EXPECT_TRUE(b.programmer.Chip("03").IsBlank(0x0FFF)); }},
    {"Blank",
     {"-p", "vA", "-d", "AT89C51", "blank"},
     nullptr,
     "Blank.........Pass\n" + Counters(1, 0),
     nullptr},
    {"Program",
     {"-p", "vA", "-d", "AT89C2051", "program", kExample},
     nullptr,
     "Program.......Pass\n" + Counters(1, 0),
     [](sim::Bench& b) {
         const HexImage image = ExampleImage();
         const auto& memory = b.programmer.Chip("01").Memory();
         EXPECT_TRUE(std::equal(image.begin(), image.begin() + 0x800, memory.begin()));
     }},
    {"Verify",
     {"-p", "vA", "-d", "AT89C2051", "verify", kExample},
     HoldsExample,
     "Verify........Pass\n" + Counters(1, 0),
     nullptr},
    {"Read",
     {"-p", "vA", "-d", "AT89C2051", "read"},
     nullptr,
     "Read..........Pass\n" + Counters(1, 0) + "Checksum : F800H\n",
     nullptr},
    {"Lock1",
     {"-p", "vA", "-d", "AT89C51", "lock1"},
     nullptr,
     "Lock1.........Pass\n" + Counters(1, 0),
     nullptr},
    {"Lock2",
     {"-p", "vA", "-d", "AT89C51", "lock2"},
     nullptr,
     "Lock1,2.......Pass\n" + Counters(1, 0),
     nullptr},
    {"Lock3",
     {"-p", "vA", "-d", "AT89C51", "lock3"},
     nullptr,
     "Lock1,2,3.....Pass\n" + Counters(1, 0),
     [](sim::Bench& b) { EXPECT_EQ(b.programmer.Chip("03").LockLevel(), 3); }},
    {"Auto",
     {"-p", "vA", "-d", "AT89C2051", "auto", kExample},
     [](sim::Bench& b, Console&) { b.programmer.Chip("01").Fill(0x00); },
     "Erase.........Pass\nBlank.........Pass\nProgram.......Pass\nVerify........Pass\nLock..........Pass\n"
     "Auto Program..Pass\n" +
         Counters(1, 0),
     [](sim::Bench& b) { EXPECT_EQ(b.programmer.Chip("01").LockLevel(), 2); }},
    {"FuseReadOn89S",
     {"-p", "vA", "-d", "AT89S53", "fuse-read"},
     nullptr,
     "Fuse FSTRT : Not Present\nFuse SPIEN : Enable(Program)\nLock Bit1  : Disable(Erase)\n"
     "Lock Bit2  : Disable(Erase)\nLock Bit3  : Disable(Erase)\nRead Fuse Complete\n",
     nullptr},
    {"FuseReadOnAvr",
     {"-p", "vA", "-d", "AT90S1200", "fuse-read"},
     [](sim::Bench& b, Console&) { b.programmer.Chip("06").Lock(1); },
     "Fuse RCEN  : Disable(Erase)\nFuse SPIEN : Enable(Program)\nLock Bit1  : Enable(Program)\n"
     "Lock Bit2  : Disable(Erase)\nLock Bit3  : Not Present\nRead Fuse Complete\n",
     nullptr},
    {"FuseWrite",
     {"-p", "vA", "-d", "AT90S2313", "fuse-write", "--fuse1", "enable", "--fuse2", "disable"},
     nullptr,
     "Fuse FSTRT : Enable(Program)\nFuse SPIEN : Disable(Erase)\nLock Bit1  : Disable(Erase)\n"
     "Lock Bit2  : Disable(Erase)\nLock Bit3  : Not Present\nProgram Fuse Complete\n",
     [](sim::Bench& b) {
         EXPECT_TRUE(b.programmer.Chip("06").Fuse1Programmed());
         EXPECT_FALSE(b.programmer.Chip("06").SpienProgrammed());
         EXPECT_EQ(b.programmer.Commands().back().command, "09000006");  // the read-back
     }},
};
INSTANTIATE_TEST_SUITE_P(Commands, EveryCommand, ::testing::ValuesIn(kPassCases),
                         [](const ::testing::TestParamInfo<PassCase>& p) { return p.param.name; });

// ---- failures: the window's texts, the exit status, nothing hangs

struct FailCase {
    const char* name;
    std::vector<std::string> args;
    std::function<void(sim::Bench&, Console&)> prepare;
    int status;
    std::string out;
    std::string err;  // a line standard error must hold; empty: standard error stays empty
    bool openFails = false;
};
void PrintTo(const FailCase& c, std::ostream* os) {
    *os << c.name;
}

std::function<void(sim::Bench&, Console&)> WithFault(sim::Fault fault) {
    return [fault](sim::Bench& b, Console&) { b.programmer.Faults().Add(fault); };
}

class Failure : public CliFixture, public ::testing::WithParamInterface<FailCase> {};

TEST_P(Failure, ShowsItsTextsAndExitStatus) {
    const FailCase& c = GetParam();
    env.ports["vA"].prepare = c.prepare;
    env.ports["vA"].openFails = c.openFails;
    const CliRun run = Run(c.args);
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.out, c.out);
    if (c.err.empty()) {
        EXPECT_EQ(run.err, "");
    } else {
        EXPECT_NE(run.err.find(c.err + "\n"), std::string::npos) << run.err;
    }
}

const std::string kAbort = "Command......Abort\n";

const FailCase kFailCases[] = {
    {"EraseRefused",
     {"-p", "vA", "-d", "AT89C51", "erase"},
     WithFault(sim::NakWith({Exchange::Erase, 0}, "")),
     1,
     "Erase.........Fail\n" + kAbort + Counters(0, 1),
     ""},
    {"BlankSilent",
     {"-p", "vA", "-d", "AT89C51", "blank"},
     WithFault(sim::Silence({Exchange::BlankCheck, 0})),
     1,
     "Blank.....Time-Out\n" + kAbort + Counters(0, 1),
     ""},
    {"BlankOnUsedChip",
     {"-p", "vA", "-d", "AT89C51", "blank"},
     [](sim::Bench& b, Console&) { b.programmer.Chip("03").Fill(0x00); },
     1,
     "Blank.........Fail\n" + kAbort + Counters(0, 1),
     ""},
    {"BlankAnswersOddByte",
     {"-p", "vA", "-d", "AT89C51", "blank"},
     WithFault(sim::ByteInstead({Exchange::BlankCheck, 0}, 0x41)),
     1,
     "Erase........Error\n" + kAbort + Counters(0, 1),
     ""},
    {"ProgramReportsCell",
     {"-p", "vA", "-d", "AT89C2051", "program", kExample},
     WithFault(sim::NakWith({Exchange::Program, 3}, "E0C1")),
     1,
     "Program..Fail:E0C1\n" + kAbort + Counters(0, 1),
     ""},
    {"VerifyDiffers",
     {"-p", "vA", "-d", "AT89C2051", "verify", kExample},
     nullptr,
     1,
     "Verify...Fail:0000\n" + kAbort + Counters(0, 1),
     ""},
    // A report the programmer garbles never puts control characters on the terminal.
    {"ReportWithEscapeSequence",
     {"-p", "vA", "-d", "AT89C2051", "verify", kExample},
     WithFault(sim::NakWith({Exchange::Verify, 0}, "\x1b[2J")),
     1,
     "Verify...Fail:.[2J\n" + kAbort + Counters(0, 1),
     ""},
    {"ReadChecksumWrong",
     {"-p", "vA", "-d", "AT89C2051", "read"},
     WithFault(sim::WrongChecksum({Exchange::Read, 2})),
     1,
     "ReadChecksum Error\n" + kAbort + Counters(0, 1),
     ""},
    {"ReadNonHex",
     {"-p", "vA", "-d", "AT89C2051", "read"},
     WithFault(sim::NonHexAt({Exchange::Read, 0}, 5)),
     1,
     "Read.........Error\n" + kAbort + Counters(0, 1),
     ""},
    {"LockOddByte",
     {"-p", "vA", "-d", "AT89C51", "lock1"},
     WithFault(sim::ByteInstead({Exchange::Lock, 0}, 0x41)),
     1,
     "Lock1........Error\n" + kAbort + Counters(0, 1),
     ""},
    {"AutoStopsAtBlank",
     {"-p", "vA", "-d", "AT89C2051", "auto", kExample},
     WithFault(sim::NakWith({Exchange::BlankCheck, 0}, "")),
     1,
     "Erase.........Pass\nBlank.........Fail\n" + kAbort + Counters(0, 1),
     ""},
    // A line lost in the middle of a transfer ends it at once, and complains once, not per byte.
    {"LineLostDuringProgram",
     {"-p", "vA", "-d", "AT89C2051", "program", kExample},
     WithFault(sim::DropLineAfter({Exchange::Program, 2}, 0)),
     1,
     "Program...Time-Out\n" + kAbort + Counters(0, 1),
     "kvqor-cli: vA: Comport Not Found"},
    {"FuseReadSilent",
     {"-p", "vA", "-d", "AT90S2313", "fuse-read"},
     WithFault(sim::Silence({Exchange::ReadFuse, 0})),
     1,
     "Fuse FSTRT :\nFuse SPIEN :\nLock Bit1  :\nLock Bit2  :\nLock Bit3  : Not Present\nRead Fuse Time-Out\n",
     ""},
    {"FuseWriteRefused",
     {"-p", "vA", "-d", "AT89S8252", "fuse-write", "--fuse2", "disable"},
     WithFault(sim::ByteInstead({Exchange::WriteFuse, 0}, ctl::NAK)),
     1,
     "Fuse FSTRT : Not Present\nFuse SPIEN : Enable(Program)\nLock Bit1  : Disable(Erase)\n"
     "Lock Bit2  : Disable(Erase)\nLock Bit3  : Disable(Erase)\nProgram Fuse Error\n",
     ""},
    {"FuseWriteReadBackDiffers",
     {"-p", "vA", "-d", "AT90S2313", "fuse-write", "--fuse1", "enable", "--fuse2", "enable"},
     [](sim::Bench& b, Console&) {
         // The write is taken, but the read-back says every fuse bit is erased.
         sim::Fault readBack = sim::GarbageBefore({Exchange::ReadFuse, 0}, "FF");
         readBack.skip = 1;  // the read when the window opens goes through
         b.programmer.Faults().Add(readBack);
     },
     1,
     "Fuse FSTRT : Disable(Erase)\nFuse SPIEN : Disable(Erase)\nLock Bit1  : Disable(Erase)\n"
     "Lock Bit2  : Disable(Erase)\nLock Bit3  : Not Present\nVerify Fuse Error\n",
     "kvqor-cli: vA: Write Fuse Error"},
    {"ProgrammerSilent",
     {"-p", "vA", "-d", "AT89C51", "erase"},
     WithFault(sim::Silence({Exchange::Identify, 0})),
     3,
     "",
     "kvqor-cli: vA: Hardware Not Found"},
    {"PortCannotBeOpened",
     {"-p", "vA", "identify"},
     nullptr,
     3,
     "",
     "kvqor-cli: vA: cannot open vA: No such file or directory",
     true},
};
INSTANTIATE_TEST_SUITE_P(Kinds, Failure, ::testing::ValuesIn(kFailCases),
                         [](const ::testing::TestParamInfo<FailCase>& p) { return p.param.name; });

// ---- bad input: refused with a message that names the problem, before anything is sent

struct InputCase {
    const char* name;
    std::vector<std::string> args;
    std::string err;  // what the first line of standard error says after "kvqor-cli: "
};
void PrintTo(const InputCase& c, std::ostream* os) {
    *os << c.name;
}

class BadInput : public CliFixture, public ::testing::WithParamInterface<InputCase> {
protected:
    void SetUp() override {
        folder = TestFolder();
        std::ofstream(folder / "format.hex") << ":10000000FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF00\r\n garbage\r\n";
        std::ofstream(folder / "checksum.hex")
            << ":10000000FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF01\r\n:00000001FF\r\n";
        std::ofstream(folder / "empty.hex") << ":00000001FF\r\n";
        std::ofstream(folder / "big.hex") << ":0100FF00AA56\r\n:02080000AABB91\r\n:00000001FF\r\n";
        std::ofstream(folder / "exists.hex") << "keep me";
        fs::create_directories(folder / "dir.hex");
    }
    fs::path folder;
};

TEST_P(BadInput, IsRefusedBeforeAnythingIsSent) {
    const InputCase& c = GetParam();
    std::vector<std::string> args;
    for (std::string a : c.args) {
        if (const auto at = a.find("@/"); at != std::string::npos)
            a = a.substr(0, at) + (folder / a.substr(at + 2)).string();
        args.push_back(a);
    }
    std::string expected = c.err;
    for (auto at = expected.find("@/"); at != std::string::npos; at = expected.find("@/", at))
        expected.replace(at, 2, folder.string() + "/");
    const CliRun run = Run(args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.substr(0, run.err.find('\n')), "kvqor-cli: " + expected);
    EXPECT_EQ(env.portsStarted, 0u);
    EXPECT_EQ(ReadText(folder / "exists.hex"), "keep me");
}

const InputCase kInputCases[] = {
    {"NoCommand", {"-p", "vA"}, "no command given"},
    {"UnknownCommand", {"-p", "vA", "flash"}, "unknown command 'flash'"},
    {"UnknownOption", {"-p", "vA", "--speed", "9600", "identify"}, "unknown option --speed"},
    {"OptionWithoutValue", {"identify", "-p"}, "option -p needs a value"},
    {"NoPort", {"-d", "AT89C51", "erase"}, "erase needs a port (-p PORT; sim for the simulated programmer)"},
    {"NoPart", {"-p", "vA", "erase"}, "erase needs a part (-d NAME; 'kvqor-cli devices' lists them)"},
    {"UnknownPart",
     {"-p", "vA", "-d", "AT89C5", "erase"},
     "unknown part 'AT89C5' ('kvqor-cli devices' lists the 14 parts)"},
    {"NoFile", {"-p", "vA", "-d", "AT89C51", "program"}, "program needs a FILE"},
    {"FileForErase",
     {"-p", "vA", "-d", "AT89C51", "erase", "x.hex"},
     "erase takes no file: 'x.hex' is one word too many"},
    {"MissingFile",
     {"-p", "vA", "-d", "AT89C51", "program", "@/none.hex"},
     "Open File Error!!! @/none.hex: No such file or directory"},
    {"FolderAsFile",
     {"-p", "vA", "-d", "AT89C51", "verify", "@/dir.hex"},
     "Open File Error!!! @/dir.hex: is a directory"},
    {"FormatError",
     {"-p", "vA", "-d", "AT89C51", "program", "@/format.hex"},
     "Format Intel-Hex...Error: @/format.hex line 2"},
    {"WrongChecksum",
     {"-p", "vA", "-d", "AT89C51", "auto", "@/checksum.hex"},
     "1 Record With Wrong Checksum: @/checksum.hex"},
    {"NoData", {"-p", "vA", "-d", "AT89C51", "program", "@/empty.hex"}, "@/empty.hex holds no data records"},
    {"FileBeyondPart",
     {"-p", "vA", "-d", "AT89C2051", "program", "@/big.hex"},
     "End Buffer Over End Device: @/big.hex ends at 0801H, AT89C2051 at 07FFH"},
    {"LockBitThePartLacks",
     {"-p", "vA", "-d", "AT89C2051", "lock3"},
     "AT89C2051 has 2 lock bits: lock3 is not available"},
    {"FusesThePartLacks",
     {"-p", "vA", "-d", "AT89C51", "fuse-read"},
     "Not Fuse on Device: AT89C51 has no fuse bits to read or write"},
    {"FuseWriteWithoutSpien",
     {"-p", "vA", "-d", "AT90S2313", "fuse-write", "--fuse1", "enable"},
     "fuse-write needs --fuse2 enable|disable (SPIEN)"},
    {"FuseWriteWithoutFuse1",
     {"-p", "vA", "-d", "AT90S2313", "fuse-write", "--fuse2", "enable"},
     "fuse-write on AT90S2313 needs --fuse1 enable|disable (FSTRT)"},
    {"Fuse1ThePartCannotWrite",
     {"-p", "vA", "-d", "AT89S53", "fuse-write", "--fuse1", "enable", "--fuse2", "enable"},
     "AT89S53 cannot have fuse 1 (FSTRT) written: leave out --fuse1"},
    {"BadFuseValue",
     {"-p", "vA", "-d", "AT89S53", "fuse-write", "--fuse2", "on"},
     "option --fuse2 takes enable or disable, not 'on'"},
    {"FuseValueForErase",
     {"-p", "vA", "-d", "AT89C51", "erase", "--fuse2", "enable"},
     "--fuse1 and --fuse2 are for fuse-write only"},
    {"RepeatForIdentify",
     {"-p", "vA", "--repeat", "identify"},
     "--repeat is for the device operations (erase ... auto), not identify"},
    {"ReadOverExistingFile",
     {"-p", "vA", "-d", "AT89C51", "read", "@/exists.hex"},
     "@/exists.hex exists; --force replaces it"},
    {"ReadIntoFolder",
     {"-p", "vA", "-d", "AT89C51", "read", "--force", "@/dir.hex"},
     "@/dir.hex is a directory"},
    {"ReadIntoMissingFolder",
     {"-p", "vA", "-d", "AT89C51", "read", "@/no/such.hex"},
     "cannot save @/no/such.hex: no folder @/no"},
    {"ReadFromSeveralPortsToOneFile",
     {"-p", "vA", "-p", "vB", "-d", "AT89C51", "read", "@/new.hex"},
     "read FILE with several ports would write every chip over the same file"},
    {"SamePortTwice", {"-p", "/dev/ttyS0", "-p", "Com1", "identify"}, "port Com1 is named twice"},
    {"LogInMissingFolder",
     {"-p", "vA", "--log", "@/no/log.csv", "identify"},
     "cannot open the log @/no/log.csv: No such file or directory"},
    {"TwoParts",
     {"-p", "vA", "-d", "AT89C51", "-d", "AT89C52", "erase"},
     "only one part can be chosen, not both AT89C51 and AT89C52"},
};
INSTANTIATE_TEST_SUITE_P(Cases, BadInput, ::testing::ValuesIn(kInputCases),
                         [](const ::testing::TestParamInfo<InputCase>& p) { return p.param.name; });

// ---- the commands without a programmer

TEST_F(CliFixture, DevicesListsTheCatalogueOnePartALine) {
    const CliRun run = Run({"devices"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 14);
    EXPECT_EQ(run.out.substr(0, run.out.find('\n')),
              "AT89C1051  89CX051  +12V  end 03FFH  lock bits 2  code 01");
    EXPECT_NE(run.out.find("AT90S2323  90S23XX  +12V  end 07FFH  lock bits 2  code 07  fuses\n"),
              std::string::npos);
}

TEST_F(CliFixture, DumpShowsTheViewersRowsUpToThePartsEnd) {
    const CliRun run = Run({"-d", "AT89C1051", "dump", kExample});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 64);
    EXPECT_EQ(run.out.substr(0, run.out.find('\n')),
              "0000 : 02 00 06 02 00 80 75 81 07 12 00 B6 E5 82 60 03   ......u.......`.");
    // Without a part the rows end where the file's last record does (00B9h).
    const CliRun plain = [&] {
        VirtualEnvironment again;
        return CliRun{RunCli({"dump", kExample}, again), again.out.str(), again.err.str()};
    }();
    EXPECT_EQ(std::count(plain.out.begin(), plain.out.end(), '\n'), 12);
}

TEST_F(CliFixture, WhatTheWindowWouldAskInABoxIsANote) {
    // The AT90S8535 sits in the socket through its adapter: the window shows a picture and waits;
    // the command line says so and goes on.
    const CliRun run = Run({"-p", "vA", "-d", "AT90S8535", "erase"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "kvqor-cli: note: This Device Used With Adapter AT90S8535\n");
    // A dump of a file that ends beyond the part only warns: nothing goes to a chip.
    const fs::path folder = TestFolder();
    std::ofstream(folder / "big.hex") << ":02080000AABB91\r\n";
    VirtualEnvironment again;
    EXPECT_EQ(RunCli({"-d", "AT89C2051", "dump", (folder / "big.hex").string()}, again), 0);
    EXPECT_EQ(again.err.str(), "kvqor-cli: note: End Buffer Over End Device: " +
                                   (folder / "big.hex").string() + " ends at 0801H, AT89C2051 at 07FFH\n");
}

TEST_F(CliFixture, HelpAndVersion) {
    const CliRun help = Run({"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* command :
         {"devices", "identify", "erase", "blank", "program FILE", "verify FILE", "read [FILE]",
          "lock1, lock2, lock3", "auto FILE", "fuse-read", "fuse-write", "dump FILE"}) {
        EXPECT_NE(help.out.find(std::string("\n  ") + command), std::string::npos) << command;
    }
    EXPECT_EQ(Run({"--version"}).out.substr(help.out.size()), "kvqor-cli " KVQOR_VERSION "\n");
}

}  // namespace
}  // namespace kvqor::cli
