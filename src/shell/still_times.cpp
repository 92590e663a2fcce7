#include "shell/still_times.h"

#include <string>

#include "options/frame_rate.h"
#include "options/option_values.h"
#include "script/timeline.h"

bool parseStillTimes(const char* text, std::vector<double>* seconds) {
    if (!text) return false;
    std::vector<double> out;
    for (const std::string& item : splitCommaList(text)) {
        double t = 0;
        if (!parseSeconds(item, &t) || t > timelineEndSeconds) return false;
        out.push_back(t);
    }
    *seconds = out;
    return true;
}

std::vector<long> stillFrames(const std::vector<double>& seconds, long framesPerSecond) {
    std::vector<long> frames;
    for (double t : seconds) frames.push_back(nearestFrame(FrameRate{framesPerSecond, 1}, t));
    return frames;
}
