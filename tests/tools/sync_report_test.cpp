// The probe's judgement of the clock against a device: made-up plays on a
// device that takes 2048 frames at 48 kHz each 42.7 ms and frames drawn every
// 16 ms. A busy machine's noise, and a device thread that woke late, pass the
// gate; a clock tens of milliseconds off does not.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "sync_report.h"

namespace {

constexpr int rate = 48000, buffer = 2048;
constexpr uint64_t bufferUs = uint64_t(buffer) * 1000000 / rate;

struct Play {
    const char* what;
    uint64_t lateUs;     // the eighth hand-over comes this much late
    double offsetMs;     // the clock's own error, the whole play
    double noiseMs;      // each frame's error besides, alternating sign
    bool goal, gate;
};

SyncReport judge(const Play& p) {
    std::vector<AudioHandOver> h;
    uint64_t at = 1000000;
    for (uint64_t i = 0; i < 150; ++i) {
        if (i == 8) at += p.lateUs;
        h.push_back({at, i * buffer});
        at += bufferUs;
    }
    // While the device stands still the pictures run on; once it is back,
    // the clock takes half a second to follow it.
    const uint64_t due = h[7].timeUs + bufferUs, came = h[8].timeUs;
    std::vector<DrawnFrame> frames;
    for (uint64_t t = h.front().timeUs; t < h.back().timeUs; t += 16000) {
        const double heard = heardFrame(h, t, rate, 0) * 1000.0 / rate;
        const double noise = (frames.size() % 2 ? 1 : -1) * p.noiseMs;
        double ahead = 0;
        if (t >= due && t < came) ahead = double(t - due) / 1000;
        if (t >= came) ahead = std::max(0.0, double(p.lateUs) / 1000 * (1 - double(t - came) / 500000));
        frames.push_back({t, int32_t(std::lround(heard + p.offsetMs + noise + ahead))});
    }
    return compareSync(frames, h, rate, 0);
}

}  // namespace

TEST(SyncReport, TheGateTellsAClockOffFromABusyMachinesNoise) {
    const Play plays[] = {
        {"in step", 0, 0, 0, true, true},
        {"a busy machine's noise", 0, 0, 15, false, true},
        {"a device thread 120 ms late once", 120000, 0, 0, true, true},
        {"a clock 40 ms early", 0, -40, 0, false, false},
        {"a clock 40 ms late, with a late device", 120000, 40, 0, false, false},
    };
    for (const Play& p : plays) {
        const SyncReport r = judge(p);
        EXPECT_EQ(syncWithin(r, syncGoal), p.goal) << p.what << ": 95% within " << r.p95Ms;
        EXPECT_EQ(syncWithin(r, syncGate), p.gate) << p.what << ": 95% within " << r.p95Ms;
        EXPECT_EQ(r.stalls, p.lateUs ? 1 : 0) << p.what;
        // A stall and the second after it are left out, nothing else.
        if (p.lateUs) EXPECT_NEAR(r.excused, (p.lateUs + 1000000) / 16000, 2) << p.what;
        else EXPECT_EQ(r.excused, 0) << p.what;
    }
}
