#include "sync_report.h"

#include <algorithm>
#include <cmath>

double heardFrame(const std::vector<AudioHandOver>& h, uint64_t timeUs, int rate, int latencyFrames) {
    if (h.empty() || rate <= 0 || timeUs < h.front().timeUs) return -1;
    // The latest hand-over at or before timeUs.
    auto it = std::upper_bound(h.begin(), h.end(), timeUs,
                               [](uint64_t t, const AudioHandOver& e) { return t < e.timeUs; });
    const AudioHandOver& e = *(it - 1);
    double played = double(timeUs - e.timeUs) * rate / 1e6;
    // Not beyond what the device had taken by then.
    if (it != h.end()) played = std::min(played, double(it->framesBefore - e.framesBefore));
    return double(e.framesBefore) + played - latencyFrames;
}

namespace {

// Where the sound heard stood still because a hand-over came later than the
// frames handed over before it account for, and the second after it, in
// which the clock follows: from when it was due to a second after it came.
struct Stall {
    uint64_t fromUs, toUs;
};

std::vector<Stall> stallsOf(const std::vector<AudioHandOver>& h, int rate) {
    std::vector<Stall> stalls;
    for (size_t i = 1; i < h.size() && rate > 0; ++i) {
        const uint64_t dueUs =
            h[i - 1].timeUs + uint64_t(double(h[i].framesBefore - h[i - 1].framesBefore) * 1e6 / rate);
        if (h[i].timeUs > dueUs + syncStallUs) stalls.push_back({dueUs, h[i].timeUs + syncFollowUs});
    }
    return stalls;
}

bool duringStall(const std::vector<Stall>& stalls, uint64_t timeUs) {
    for (const Stall& s : stalls)
        if (timeUs >= s.fromUs && timeUs < s.toUs) return true;
    return false;
}

}  // namespace

SyncReport compareSync(const std::vector<DrawnFrame>& frames, const std::vector<AudioHandOver>& h,
                       int rate, int latencyFrames) {
    SyncReport r;
    const std::vector<Stall> stalls = stallsOf(h, rate);
    r.stalls = int(stalls.size());
    std::vector<std::pair<double, double>> offsets;  // (seconds since the first, offset ms)
    for (const DrawnFrame& f : frames) {
        const double heard = heardFrame(h, f.timeUs, rate, latencyFrames);
        if (heard < 0) continue;
        if (duringStall(stalls, f.timeUs)) {
            ++r.excused;
            continue;
        }
        const double t = double(f.timeUs) / 1e6;
        offsets.push_back({t, double(f.musicMs) - heard * 1000.0 / rate});
    }
    if (offsets.empty()) return r;
    const double t0 = offsets.front().first, t1 = offsets.back().first;
    double firstSum = 0, lastSum = 0;
    int firstN = 0, lastN = 0;
    for (const auto& [t, o] : offsets) {
        if (t - t0 <= 1.0) {
            firstSum += o;
            ++firstN;
        }
        if (std::fabs(o) > std::fabs(r.worstMs)) r.worstMs = o;
        if (t1 - t <= 1.0) {
            lastSum += o;
            ++lastN;
        }
    }
    std::vector<double> magnitudes;
    for (const auto& [t, o] : offsets) magnitudes.push_back(std::fabs(o));
    std::sort(magnitudes.begin(), magnitudes.end());
    r.p95Ms = magnitudes[size_t(double(magnitudes.size() - 1) * 0.95)];
    r.frames = int(offsets.size());
    r.firstMs = firstN ? firstSum / firstN : 0;
    r.lastMs = lastN ? lastSum / lastN : 0;
    r.driftMs = r.lastMs - r.firstMs;
    r.seconds = t1 - t0;
    return r;
}

bool syncWithin(const SyncReport& r, const SyncLimits& limits) {
    return r.frames > 0 && r.p95Ms <= limits.offsetMs && std::fabs(r.firstMs) <= limits.offsetMs &&
           std::fabs(r.driftMs) <= limits.driftMs;
}
