#include "shell/still_times.h"

#include <cmath>
#include <cstdlib>

#include "script/timeline.h"

bool parseStillTimes(const char* text, std::vector<double>* seconds) {
    std::vector<double> out;
    if (!text || !*text) return false;
    const char* p = text;
    for (;;) {
        char* end = nullptr;
        const double t = std::strtod(p, &end);
        if (end == p || !std::isfinite(t) || t < 0 || t > timelineEndSeconds) return false;
        out.push_back(t);
        if (*end == '\0') break;
        if (*end != ',') return false;
        p = end + 1;
    }
    *seconds = out;
    return true;
}

std::vector<long> stillFrames(const std::vector<double>& seconds, long framesPerSecond) {
    std::vector<long> frames;
    for (double t : seconds) frames.push_back(long(std::llround(t * double(framesPerSecond))));
    return frames;
}
