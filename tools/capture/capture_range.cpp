#include "capture_range.h"

#include <cmath>
#include <cstdio>

#include "shell/headless_run.h"
#include "script/timeline.h"

namespace {

std::string rateText(const FrameRate& rate) {
    char text[48];
    if (rate.den == 1)
        std::snprintf(text, sizeof text, "%ld fps", rate.num);
    else
        std::snprintf(text, sizeof text, "%ld/%ld fps", rate.num, rate.den);
    return text;
}

int refuse(const std::string& problem, const FrameRate& rate) {
    const long total = timelineFrameCount(rate);
    char timeline[160];
    std::snprintf(timeline, sizeof timeline, ": the timeline has %ld frame%s at %s (0 to %ld, %g s)",
                  total, total == 1 ? "" : "s", rateText(rate).c_str(), total - 1,
                  timelineEndSeconds);
    return refuseOption("demo-capture", problem + timeline);
}

}  // namespace

long atFrameIndex(const FrameRate& rate, double seconds) {
    return long(std::llround(seconds * double(rate.num) / double(rate.den)));
}

int checkCaptureSelection(const CaptureOptions& o, const std::string& framesText,
                          const std::string& timeText) {
    const FrameRate& rate = o.offscreen.rate;
    if (!o.atTimes.empty() && (!framesText.empty() || !timeText.empty()))
        return refuseOption("demo-capture",
                            std::string("--at takes single frames; it cannot be combined with ") +
                                (framesText.empty() ? "--time" : "--frames"));
    const long total = timelineFrameCount(rate);
    for (size_t i = 0; i < o.atTimes.size(); ++i) {
        const long frame = atFrameIndex(rate, o.atTimes[i]);
        if (frame >= total)
            return refuse("--at " + o.atNames[i] + " falls on frame " + std::to_string(frame) +
                              ", after the last one",
                          rate);
        // Every moment asked for gets its own file, or is refused by name.
        for (size_t k = 0; k < i; ++k)
            if (atFrameIndex(rate, o.atTimes[k]) == frame)
                return refuse("--at " + o.atNames[i] + " falls on frame " + std::to_string(frame) +
                                  ", as --at " + o.atNames[k] + " does",
                              rate);
    }
    if (o.atTimes.empty() && o.firstFrame >= o.endFrame) {
        const std::string range =
            framesText.empty() ? "--time " + timeText : "--frames " + framesText;
        return refuse(range + " selects no frame", rate);
    }
    return 0;
}
