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

SyncReport compareSync(const std::vector<DrawnFrame>& frames, const std::vector<AudioHandOver>& h,
                       int rate, int latencyFrames) {
    SyncReport r;
    std::vector<std::pair<double, double>> offsets;  // (seconds since the first, offset ms)
    for (const DrawnFrame& f : frames) {
        const double heard = heardFrame(h, f.timeUs, rate, latencyFrames);
        if (heard < 0) continue;
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
