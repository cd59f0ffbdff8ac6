#include <gtest/gtest.h>

#include <set>

#include "link/Identify.h"
#include "tests/sim/PcSide.h"

namespace kvqor {
namespace {

using sim::Exchange;
using sim::Fault;
using sim::FaultKind;

// ---- scripted faults, seen from the PC

struct FaultCase {
    const char* name;
    Fault fault;
    std::string command;
    std::string answer;  // every byte the PC receives after the command
};

class ScriptedFault : public SimTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(ScriptedFault, ChangesTheAnswerAsScripted) {
    const FaultCase& c = GetParam();
    programmer.Chip("04").Fill(std::vector<std::uint8_t>{0xAB, 0xCD});
    programmer.Faults().Add(c.fault);
    EXPECT_EQ(Command(c.command), c.answer);
    ASSERT_EQ(programmer.Faults().Fired().size(), 1u);
    EXPECT_EQ(programmer.Faults().Fired()[0].command, c.command);
    EXPECT_TRUE(programmer.Faults().Empty());
}

const std::string kFirstRead = [] {
    std::string s = "ABCD" + std::string(124, 'F');
    return s + "3A";  // AB + CD + 62 x FF = 3F3Ah
}();

INSTANTIATE_TEST_SUITE_P(
    Kinds, ScriptedFault,
    ::testing::Values(
        FaultCase{"Silence", sim::Silence({Exchange::Erase}), "05000004", ""},
        FaultCase{"NakWithReport", sim::NakWith({Exchange::Erase}, "E013"), "05000004", kNak + "E013"},
        FaultCase{"NakWithShortReport", sim::NakWith({Exchange::Lock}, "E0"), "03000104", kNak + "E0"},
        FaultCase{"UnexpectedByte", sim::ByteInstead({Exchange::BlankCheck}, 0x41), "0A0FFF04", "A"},
        FaultCase{"GarbageBefore", sim::GarbageBefore({Exchange::ReadFuse}, "\x01"), "09000004",
                  "\x01"
                  "FE"},
        FaultCase{"NonHexInFuseByte", sim::NonHexAt({Exchange::ReadFuse}, 1, 'G'), "09000004", "FG"},
        FaultCase{"LowerCaseLockByte", sim::LowerCase({Exchange::ReadLock}), "08000004", "ff"},
        FaultCase{"WrongReadChecksum", sim::WrongChecksum({Exchange::Read}), "06000004",
                  kFirstRead.substr(0, 128) + "3B"},
        FaultCase{"NonHexInReadBlock", sim::NonHexAt({Exchange::Read}, 2, ':'), "06000004",
                  "AB:D" + kFirstRead.substr(4)},
        FaultCase{"LowerCaseReadBlock", sim::LowerCase({Exchange::Read}), "06000004",
                  "abcd" + std::string(124, 'f') + "3a"},
        FaultCase{"AnyExchangeStrikesTheFirstAnswer", sim::Silence({Exchange::Any}), "09000004", ""}),
    [](const ::testing::TestParamInfo<FaultCase>& p) { return std::string(p.param.name); });

TEST_F(SimTest, FaultsStrikeAtTheBlockTheyAreScriptedFor) {
    const auto image = Pattern(0x800);
    programmer.Faults().Add(sim::NakWith({Exchange::Verify, 3}, "E013"));
    programmer.Faults().Add(sim::Silence({Exchange::Program, sim::kVerdict}));
    const TransferResult program = SendImage("01000001", image);
    EXPECT_EQ(program.blocksSent, 32);
    EXPECT_EQ(program.ending, "");  // no verdict: the PC times out
    EXPECT_EQ(programmer.Chip("01").Memory()[0x7FF], image[0x7FF]);
    const TransferResult verify = SendImage("0C000001", image);
    EXPECT_EQ(verify.blocksSent, 3);
    EXPECT_EQ(verify.ending, kNak + "E013");
}

TEST_F(SimTest, DelayedAnswerMissesTheLimitThenArrives) {
    programmer.Faults().Add(sim::Delayed({Exchange::Program, 2}, sim::MicrosFromMillis(1600)));
    link.SendCommand("01000001");
    std::uint8_t b = 0;
    const auto image = Pattern(0x800);
    for (std::size_t a = 0; a < 128; a += 64) {
        ASSERT_TRUE(link.ReadByte(b, kShortReplyMs));
        SendBlock(image, a);
    }
    EXPECT_FALSE(link.ReadByte(b, kShortReplyMs));
    EXPECT_TRUE(link.ReadByte(b, kShortReplyMs));
    EXPECT_EQ(b, ctl::DC1);
}

TEST_F(SimTest, SkipLetsEarlierAnswersPassAndTimesZeroStrikesEveryOne) {
    Fault second = sim::NakWith({Exchange::Erase}, "");
    second.skip = 1;
    programmer.Faults().Add(second);
    EXPECT_EQ(Command("05000003"), kAck);
    EXPECT_EQ(Command("05000003"), kNak);
    EXPECT_EQ(Command("05000003"), kAck);

    Fault always = sim::ByteInstead({Exchange::Lock}, '?');
    always.times = 0;
    programmer.Faults().Add(always);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Command("03000103"), "?");
    EXPECT_EQ(programmer.Faults().Armed().size(), 1u);
}

TEST_F(SimTest, LineDroppedMidReadClosesTheWireAndTheWaitEndsAtOnce) {
    programmer.Faults().Add(sim::DropLineAfter({Exchange::Read, 1}, 10));
    const ReadResult read = ReadImage("06000003", 4);
    EXPECT_EQ(read.failure, "time-out in block 1");
    EXPECT_EQ(read.data.size(), 64u);
    EXPECT_FALSE(bench.wire.IsOpen());
    // The wait ended when the line went, right after the tenth character, not 1500 ms later.
    EXPECT_EQ(bench.wire.ReceivedBytes().size(), 130u + 10u);
    EXPECT_EQ(bench.clock.Now(), bench.wire.Log().back().at);

    programmer.Reconnect();
    EXPECT_TRUE(ReadVersion(link, "Com1").found);
}

TEST_F(SimTest, IdentificationFaultsAreSeenByReadVersion) {
    const std::vector<Fault> faults{
        sim::WrongChecksum({Exchange::Identify}), sim::GarbageBefore({Exchange::Identify}, "x"),
        sim::NonHexAt({Exchange::Identify}, 9), sim::NakWith({Exchange::Identify, sim::kVerdict}, ""),
        sim::Delayed({Exchange::Identify}, sim::MicrosFromMillis(1501))};
    for (const Fault& f : faults) {
        programmer.Faults().Add(f);
        EXPECT_FALSE(ReadVersion(link, "Com1").found) << sim::Describe(f);
    }
    programmer.Faults().Add(sim::LowerCase({Exchange::Identify}));  // the checksum only: harmless
    programmer.Faults().Add(sim::Delayed({Exchange::Identify}, sim::MicrosFromMillis(1400)));
    EXPECT_TRUE(ReadVersion(link, "Com1").found);
    EXPECT_TRUE(ReadVersion(link, "Com1").found);
    EXPECT_EQ(programmer.Faults().Fired().size(), faults.size() + 2);
}

// ---- the text form

TEST(FaultText, DescribeAndParseRoundTrip) {
    Fault skipped = sim::NakWith({Exchange::Verify, 3}, "E013");
    skipped.skip = 2;
    skipped.times = 0;
    const std::vector<Fault> faults{
        sim::Silence({Exchange::Program, sim::kVerdict}),
        sim::Delayed({Exchange::Erase}, sim::MicrosFromMillis(16000)),
        sim::Delayed({Exchange::Any, 2}, 1500),
        skipped,
        sim::NakWith({Exchange::Program, 1}, ""),
        sim::ByteInstead({Exchange::BlankCheck}, 0x41),
        sim::GarbageBefore({Exchange::Read, 4}, "zz"),
        sim::WrongChecksum({Exchange::Read, 2}),
        sim::NonHexAt({Exchange::ReadFuse}, 1, ':'),
        sim::LowerCase({Exchange::ReadLock}),
        sim::DropLineAfter({Exchange::Read, 2}, 10),
        sim::Silence({Exchange::WriteFuse}),
        sim::Silence({Exchange::Identify}),
    };
    for (const Fault& f : faults) {
        std::string error;
        const auto parsed = sim::ParseFault(sim::Describe(f), error);
        ASSERT_TRUE(parsed.has_value()) << sim::Describe(f) << ": " << error;
        EXPECT_EQ(*parsed, f) << sim::Describe(f);
    }
    EXPECT_EQ(sim::Describe(faults[0]), "silence,at=program,reply=verdict");
    EXPECT_EQ(sim::Describe(skipped), "nak,at=verify,reply=3,text=E013,times=0,skip=2");
}

TEST(FaultText, ShortFormsTakeDefaults) {
    std::string error;
    const auto f = sim::ParseFault("drop", error);
    ASSERT_TRUE(f.has_value());
    EXPECT_EQ(*f, sim::DropLineAfter({Exchange::Any, 0}, 0));
}

TEST(FaultText, BadSpecsAreRefusedWithAReason) {
    const std::vector<std::pair<std::string, std::string>> bad{
        {"boom", "unknown fault kind 'boom'"},
        {"", "unknown fault kind ''"},
        {"nak,at=nowhere", "bad value for at: 'nowhere'"},
        {"nak,reply=x", "bad value for reply: 'x'"},
        {"nak,reply=-1", "bad value for reply: '-1'"},
        {"byte,byte=GG", "bad value for byte: 'GG'"},
        {"delay,ms=12x", "bad value for ms: '12x'"},
        {"nak,colour=red", "unknown key 'colour'"},
        {"nak,at", "expected key=value, got 'at'"},
    };
    for (const auto& [faultText, reason] : bad) {
        std::string error;
        EXPECT_FALSE(sim::ParseFault(faultText, error).has_value()) << faultText;
        EXPECT_EQ(error.substr(0, reason.size()), reason) << faultText;
    }
}

// ---- random plans

std::vector<std::string> Described(const sim::FaultPlan& plan) {
    std::vector<std::string> out;
    for (const Fault& f : plan.Armed())
        out.push_back(sim::Describe(f));
    return out;
}

TEST(RandomFaults, SameSeedSamePlanAndSeedsDiffer) {
    std::set<std::vector<std::string>> plans;
    for (std::uint64_t seed = 0; seed < 20; ++seed) {
        EXPECT_EQ(Described(sim::RandomFaultPlan(seed)), Described(sim::RandomFaultPlan(seed)));
        plans.insert(Described(sim::RandomFaultPlan(seed)));
    }
    EXPECT_GE(plans.size(), 18u);
}

TEST(RandomFaults, PlansKeepToTheirSettingsAndEveryFaultCanStrike) {
    sim::RandomFaultSettings s;
    s.minFaults = 2;
    s.maxFaults = 3;
    s.exchanges = {Exchange::Read, Exchange::Erase, Exchange::Identify};
    s.maxReply = 5;
    std::set<FaultKind> kindsSeen;
    for (std::uint64_t seed = 1; seed <= 300; ++seed) {
        const sim::FaultPlan plan = sim::RandomFaultPlan(seed, s);
        EXPECT_GE(plan.Armed().size(), 2u);
        EXPECT_LE(plan.Armed().size(), 3u);
        for (const Fault& f : plan.Armed()) {
            kindsSeen.insert(f.kind);
            EXPECT_TRUE(sim::CanStrike(f.kind, sim::ShapeAt(f.at))) << sim::Describe(f);
            EXPECT_NE(std::find(s.exchanges.begin(), s.exchanges.end(), f.at.exchange), s.exchanges.end());
            EXPECT_LE(f.at.reply, s.maxReply);
            if (f.at.exchange == Exchange::Erase) {
                EXPECT_EQ(f.at.reply, 0);
            }
            if (f.kind == FaultKind::Delay) {
                EXPECT_LE(f.delay, s.maxDelay);
            }
        }
    }
    EXPECT_EQ(kindsSeen.size(), 9u);
}

// Over many seeds, identification against a faulty programmer never hangs, and passes whenever
// nothing struck it.
TEST(RandomFaults, IdentificationNeverHangsAndPassesWhenNoFaultStruck) {
    sim::RandomFaultSettings s;
    s.exchanges = {Exchange::Identify, Exchange::Any};
    for (std::uint64_t seed = 0; seed < 200; ++seed) {
        sim::Bench bench;
        bench.programmer.Faults() = sim::RandomFaultPlan(seed, s);
        const Identification id = ReadVersion(bench.link, "Com1");
        if (bench.programmer.Faults().Fired().empty()) {
            EXPECT_TRUE(id.found) << "seed " << seed;
        }
        for (const auto& fired : bench.programmer.Faults().Fired()) {
            const FaultKind k = fired.fault.kind;
            if (k == FaultKind::Silence || k == FaultKind::Nak || k == FaultKind::DropLine ||
                k == FaultKind::BadChecksum) {
                EXPECT_FALSE(id.found) << "seed " << seed << ": " << sim::Describe(fired.fault);
            }
        }
    }
}

}  // namespace
}  // namespace kvqor
