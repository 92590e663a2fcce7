#include "capture_range.h"

#include <cstdio>

#include "script/timeline.h"
#include "shell/frame_clock.h"

namespace {

// The timeline at the rate chosen, after what was wrong with the value.
int refuse(const std::string& option, const std::string& got, const std::string& takes,
           const FrameRate& rate) {
    const long total = timelineFrameCount(rate);
    char timeline[160];
    std::snprintf(timeline, sizeof timeline, "; the timeline has %ld frame%s at %s (0 to %ld, %g s)",
                  total, total == 1 ? "" : "s", frameRateText(rate).c_str(), total - 1,
                  timelineEndSeconds);
    return refuseOption(captureProgram(), option, got, takes + timeline);
}

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& n : names) text += (text.empty() ? "" : ",") + n;
    return text;
}

}  // namespace

int checkCaptureSelection(const CaptureOptions& o, const std::string& framesText,
                          const std::string& timeText) {
    const FrameRate& rate = o.offscreen.rate;
    if (!o.atTimes.empty() && (!framesText.empty() || !timeText.empty()))
        return refuseOption(captureProgram(), "--at", joined(o.atNames),
                            std::string("single frames, not beside ") +
                                (framesText.empty() ? "--time" : "--frames"));
    const long total = timelineFrameCount(rate);
    for (size_t i = 0; i < o.atTimes.size(); ++i) {
        // A single frame (--at) is the one nearest its time.
        const long frame = nearestFrame(rate, o.atTimes[i]);
        const std::string falls = o.atNames[i] + " falls on frame " + std::to_string(frame);
        if (frame >= total)
            return refuse("--at", o.atNames[i],
                          "times on the timeline: " + falls + ", after the last one", rate);
        // Every moment asked for gets its own file, or is refused by name.
        for (size_t k = 0; k < i; ++k)
            if (nearestFrame(rate, o.atTimes[k]) == frame)
                return refuse("--at", o.atNames[i],
                              "times on frames of their own: " + falls + ", as " + o.atNames[k] +
                                  " does",
                              rate);
    }
    if (o.atTimes.empty() && o.firstFrame >= o.endFrame) {
        const bool frames = !framesText.empty();
        return refuse(frames ? "--frames" : "--time", frames ? framesText : timeText,
                      "a range that selects frames: this one selects no frame", rate);
    }
    return 0;
}
