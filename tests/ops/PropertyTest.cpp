// The run cycle's promises, checked over many seeded random fault schedules of the simulated
// programmer: silence, delays, garbage, NAK at random points, lines dropped, and Stop pressed at
// random moments.

#include <random>

#include "tests/ops/SessionFixture.h"

namespace kvqor {
namespace {

constexpr int kSeeds = 400;

class RandomFaultSchedule : public SessionFixture, public ::testing::WithParamInterface<int> {};

TEST_P(RandomFaultSchedule, OperationKeepsItsPromises) {
    const auto seed = static_cast<std::uint64_t>(GetParam());
    std::mt19937_64 rng(seed * 7919 + 1);
    const Operation ops[] = {Operation::Erase, Operation::Blank, Operation::Program, Operation::Verify,
                             Operation::Lock1, Operation::Lock2, Operation::Read,    Operation::Auto};
    const char* parts[] = {"AT89C1051", "AT89C2051", "AT90S2313", "AT89C51", "AT90S2343"};
    const Operation op = ops[rng() % std::size(ops)];
    const char* part = parts[rng() % std::size(parts)];
    Choose(part);
    for (std::size_t a = 0; a < 0x1000; ++a)
        Buffer()[a] = static_cast<std::uint8_t>(rng());
    bench.programmer.Faults() = sim::RandomFaultPlan(seed);
    if (rng() % 4 == 0) {
        bench.clock.After(static_cast<Millis>(rng() % 3000), [this] { session.StopRunClick(); });
        bench.host.AnswerNext(rng() % 2 == 0);
    }

    const std::uint8_t passBefore = session.PassTotal();
    const std::uint8_t failBefore = session.FailTotal();
    Run(op);

    SCOPED_TRACE(testing::Message() << "seed " << seed << ", part " << part << ", operation "
                                    << OperationTitle(op));
    ASSERT_EQ(display.passes.size(), 1u);
    const bool passed = display.passes[0];
    EXPECT_EQ(session.State(), RunState::Idle);
    EXPECT_LT(bench.clock.Now(), 10 * 60 * 1000);  // nothing dragged on: far below any hang

    const auto& log = bench.wire.Log();
    if (passed) {
        EXPECT_EQ(session.PassTotal(), passBefore + 1);
        EXPECT_EQ(session.FailTotal(), failBefore);
        // Pass only on the programmer's ACK: the last byte received before the ENQ.
        std::uint8_t lastReceived = 0;
        bool enqSeen = false;
        for (const auto& e : log) {
            if (e.kind == sim::LineEvent::Kind::Received && !enqSeen)
                lastReceived = e.byte;
            if (e.kind == sim::LineEvent::Kind::Sent && e.byte == ctl::ENQ)
                enqSeen = true;
        }
        EXPECT_TRUE(enqSeen);
        EXPECT_EQ(lastReceived, ctl::ACK);
        const std::string& shown = op == Operation::Auto ? display.lastShown[5] : display.lastShown[0];
        EXPECT_NE(shown.find("Pass"), std::string::npos) << shown;
    } else {
        EXPECT_EQ(session.FailTotal(), failBefore + 1);
        EXPECT_EQ(session.PassTotal(), passBefore);
        EXPECT_EQ(CountSent(ctl::ENQ), 0);
        EXPECT_NE(display.Line(6), "Auto Program..Pass");
        if (op != Operation::Auto) {
            EXPECT_EQ(display.Line(2), "Command......Abort");
        }
        if (bench.wire.IsOpen()) {
            ExpectBrokeOff();
        } else {
            // The line is gone: the buffers were still emptied, and CAN had nothing to go on.
            EXPECT_EQ(log.back().kind, sim::LineEvent::Kind::DiscardOutput);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomFaultSchedule, ::testing::Range(0, kSeeds));

}  // namespace
}  // namespace kvqor
