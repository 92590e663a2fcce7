#include "platform/audio_server_clock.h"

#include <algorithm>

namespace {
// The reports agree when they put the start within startAgreeUs of each other
// for startSpanUs; a server that reports in steps is taken at its middle once
// it played startSettleUs with a full history. The answer is then the middle
// of the last recentUsed reports.
constexpr int64_t startAgreeUs = 2000;
constexpr uint64_t startSpanUs = 20000;
constexpr uint64_t startSettleUs = 150000;
constexpr int recentUsed = 5;

int64_t middleOfRecent(const ServerClock& c, int count) {
    int64_t sorted[serverStartsKept];
    const int n = std::min(count, std::min(c.count, int(serverStartsKept)));
    for (int i = 0; i < n; ++i) sorted[i] = c.starts[(c.count - 1 - i) % serverStartsKept];
    std::nth_element(sorted, sorted + n / 2, sorted + n);
    return sorted[n / 2];
}

// At the start: whether the reports agree on when the first sample was heard
// for long enough (or, on a server that reports in steps, have settled).
bool startAgreed(ServerClock* c, int64_t start, uint64_t nowUs) {
    const int64_t diff = start - c->lastStartUs;
    c->lastStartUs = start;
    if (c->playingSinceUs == 0) c->playingSinceUs = nowUs;
    if (nowUs - c->playingSinceUs >= startSettleUs && c->count >= serverStartsKept) {
        c->lastStartUs = middleOfRecent(*c, serverStartsKept);
        return true;
    }
    if (diff > startAgreeUs || diff < -startAgreeUs) {
        c->agreeSinceUs = 0;
        return false;
    }
    if (c->agreeSinceUs == 0) c->agreeSinceUs = nowUs;
    return nowUs - c->agreeSinceUs >= startSpanUs;
}
}  // namespace

bool serverReportStart(const TimingReport& r, uint64_t nowUs, int64_t* startUs) {
    if (!r.playing || int64_t(r.ageUs) > serverReportStaleUs) return false;
    *startUs = int64_t(nowUs) - int64_t(r.ageUs) - r.heardUs;
    return true;
}

bool takeTimingReport(ServerClock* c, const TimingReport& report, uint64_t nowUs, int64_t* startUs) {
    int64_t start = 0;
    if (!serverReportStart(report, nowUs, &start)) return false;
    if (report.madeUs != c->lastMadeUs) {
        c->lastMadeUs = report.madeUs;
        c->starts[c->count++ % serverStartsKept] = start;
        if (!c->heard && startAgreed(c, start, nowUs)) {
            c->heard = true;
            // The answers before the agreement may be early: start afresh.
            c->count = 0;
            c->starts[c->count++] = c->lastStartUs;
        }
    }
    if (!c->heard) return false;
    *startUs = middleOfRecent(*c, recentUsed);
    return true;
}
