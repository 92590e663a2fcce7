// The sound server's start estimate on report sequences like those of real
// runs: reports every few milliseconds while the start is awaited, each
// putting the first sample somewhere on the system timer.
#include <gtest/gtest.h>

#include <vector>

#include "platform/audio_server_clock.h"

namespace {
// Where the first sample really was heard.
constexpr int64_t trueStartUs = 10000000;

// A report read at nowUs, made ageUs before, that puts the first sample at
// claimedStartUs.
TimingReport reportAt(uint64_t nowUs, uint64_t ageUs, int64_t claimedStartUs, bool playing = true) {
    const uint64_t madeUs = nowUs - ageUs;
    return TimingReport{madeUs, ageUs, int64_t(madeUs) - claimedStartUs, playing};
}

struct Step {
    uint64_t nowUs;
    bool known;
    int64_t startUs;
};

// Feeds one report every periodUs from startUs on, each claiming claims(i).
template <typename Claim>
std::vector<Step> feed(ServerClock* c, uint64_t fromUs, int count, uint64_t periodUs, Claim claims) {
    std::vector<Step> steps;
    for (int i = 0; i < count; ++i) {
        const uint64_t now = fromUs + uint64_t(i) * periodUs;
        int64_t start = 0;
        const bool known = takeTimingReport(c, reportAt(now, 1000, claims(i)), now, &start);
        steps.push_back(Step{now, known, start});
    }
    return steps;
}

int firstKnown(const std::vector<Step>& steps) {
    for (size_t i = 0; i < steps.size(); ++i)
        if (steps[i].known) return int(i);
    return -1;
}
}  // namespace

// The first reports after a play put the start 490, 250 and 20 ms early; the
// start is taken only once the reports agree, and where they agree.
TEST(ServerClock, EarlyFirstReportsAreNotTaken) {
    ServerClock c = {};
    const int64_t early[] = {490000, 250000, 20000};
    const std::vector<Step> steps = feed(&c, trueStartUs + 50000, 30, 3000, [&](int i) {
        return i < 3 ? trueStartUs - early[i] : trueStartUs + (i % 2 ? 400 : -400);
    });
    const int known = firstKnown(steps);
    ASSERT_GE(known, 3);
    // Agreement for 20 ms at a report every 3 ms: at least seven agreeing ones.
    EXPECT_GE(known, 3 + 7);
    for (size_t i = size_t(known); i < steps.size(); ++i) {
        ASSERT_TRUE(steps[i].known);
        EXPECT_NEAR(double(steps[i].startUs), double(trueStartUs), 500.0);
    }
}

// PipeWire's pulse layer reports in steps of its period: the answers swing
// 10 ms and never agree within 2 ms. After 150 ms playing the middle of the
// recent answers is taken.
TEST(ServerClock, SteppedReportsSettleOnTheirMiddle) {
    ServerClock c = {};
    const std::vector<Step> steps = feed(&c, trueStartUs + 40000, 80, 3000, [](int i) {
        return trueStartUs + (i % 3 == 0 ? -5000 : i % 3 == 1 ? 5000 : 0);
    });
    const int known = firstKnown(steps);
    ASSERT_GE(known, 0);
    EXPECT_GE(steps[size_t(known)].nowUs - steps[0].nowUs, 150000u);
    EXPECT_LT(steps[size_t(known)].nowUs - steps[0].nowUs, 160000u);
    for (size_t i = size_t(known); i < steps.size(); ++i)
        EXPECT_NEAR(double(steps[i].startUs), double(trueStartUs), 5000.0);
    EXPECT_EQ(steps.back().startUs, trueStartUs);
}

// Once known, a stall (the server sends no new report) makes the answer
// unknown as soon as the last report is older than 350 ms; reports that come
// again are taken at once, without a new agreement.
TEST(ServerClock, AStalledServerSaysNothingUntilItReportsAgain) {
    ServerClock c = {};
    std::vector<Step> steps = feed(&c, trueStartUs + 50000, 20, 3000, [](int) { return trueStartUs; });
    ASSERT_TRUE(steps.back().known);
    const TimingReport last = reportAt(steps.back().nowUs, 1000, trueStartUs);
    int64_t start = 0;
    for (uint64_t waited = 0; waited <= 340000; waited += 20000) {
        TimingReport same = last;
        same.ageUs += waited;
        EXPECT_TRUE(takeTimingReport(&c, same, steps.back().nowUs + waited, &start)) << waited;
        EXPECT_EQ(start, trueStartUs);
    }
    TimingReport old = last;
    old.ageUs += 360000;
    EXPECT_FALSE(takeTimingReport(&c, old, steps.back().nowUs + 360000, &start));
    // The server plays on 400 ms late: the music was held up that long.
    const uint64_t again = steps.back().nowUs + 500000;
    EXPECT_TRUE(takeTimingReport(&c, reportAt(again, 1000, trueStartUs + 400000), again, &start));
    steps = feed(&c, again + 3000, 5, 3000, [](int) { return trueStartUs + 400000; });
    EXPECT_EQ(steps.back().startUs, trueStartUs + 400000);
}

// A report older than 350 ms when it is read, or one that does not say the
// stream plays (underrun, suspended sink, sent before the play), is never
// taken, not even into the agreement.
TEST(ServerClock, OldAndIdleReportsAreIgnored) {
    ServerClock c = {};
    int64_t start = 0;
    const uint64_t now = trueStartUs + 100000;
    EXPECT_FALSE(takeTimingReport(&c, reportAt(now, 400000, trueStartUs - 490000), now, &start));
    EXPECT_FALSE(serverReportStart(reportAt(now, 351000, trueStartUs), now, &start));
    EXPECT_FALSE(takeTimingReport(&c, reportAt(now, 1000, trueStartUs - 300000, false), now, &start));
    EXPECT_EQ(c.count, 0);
    ASSERT_TRUE(serverReportStart(reportAt(now, 350000, trueStartUs), now, &start));
    EXPECT_EQ(start, trueStartUs);
}

// Once known, one report far off (a late wake-up of the server) does not move
// the answer: it is the middle of the last five.
TEST(ServerClock, OneStrayReportDoesNotMoveTheAnswer) {
    ServerClock c = {};
    const std::vector<Step> steps = feed(&c, trueStartUs + 50000, 40, 3000, [](int i) {
        return i == 30 ? trueStartUs + 30000 : trueStartUs;
    });
    ASSERT_TRUE(steps[29].known);
    for (size_t i = 29; i < steps.size(); ++i) EXPECT_EQ(steps[i].startUs, trueStartUs);
}

// The same report read again (no new one since) adds nothing: agreement needs
// new reports spanning 20 ms.
TEST(ServerClock, TheSameReportReadAgainIsOneReport) {
    ServerClock c = {};
    const TimingReport r = reportAt(trueStartUs + 50000, 1000, trueStartUs);
    int64_t start = 0;
    for (int i = 0; i < 50; ++i) EXPECT_FALSE(takeTimingReport(&c, r, trueStartUs + 50000, &start));
    EXPECT_EQ(c.count, 1);
}
