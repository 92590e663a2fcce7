// frames: the shell's offscreen runners in the Windows build, for the frame
// test under Wine and the drawing time per part. The fixed-step clock, the
// stills and the read-back are the ones the Linux capture program runs on.
//
//   frames DATA_FOLDER OUT_FOLDER RATE [SECONDS,...]
//
// With a list: the frames at those music times (the nearest frame at RATE,
// as the capture program's --at) as OUT_FOLDER/at-SECONDS.png, top row first.
// Without: the whole timeline drawn, and per part how many frames and the mean
// time of one (from the end of the frame before to its glFinish).
#include <GL/gl.h>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/timer.h"
#include "script/timeline.h"
#include "shell/stills_run.h"
#include "shell/still_times.h"

namespace {
const int width = 640, height = 480;

struct Stills {
    std::string folder;
    std::vector<std::string> names;
    bool failed = false;
};

bool writeStill(const StillAt& still, void* user) {
    Stills* s = static_cast<Stills*>(user);
    std::vector<unsigned char> rgb(size_t(width) * height * 3);
    readFrameRgb(width, height, rgb.data());
    const std::string path = s->folder + "/at-" + s->names[still.index] + ".png";
    if (!stbi_write_png(path.c_str(), width, height, 3, rgb.data(), width * 3)) {
        std::fprintf(stderr, "frames: cannot write %s\n", path.c_str());
        s->failed = true;
        return false;
    }
    return true;
}

struct PartTimes {
    FrameRate rate;
    uint64_t lastUs = 0;
    double us[partCount + 1] = {};
    long frames[partCount + 1] = {};
};

bool timeFrame(long frame, void* user) {
    PartTimes* t = static_cast<PartTimes*>(user);
    glFinish();
    const uint64_t now = readSystemTimerUs();
    const int part = partIndexForElapsed(int32_t(frameTimeMs(t->rate, frame)));
    if (frame > 0 && part >= 0 && part <= partCount) {
        t->us[part] += double(now - t->lastUs);
        ++t->frames[part];
    }
    t->lastUs = now;
    return true;
}

int timeParts(const HeadlessRun& base) {
    PartTimes times;
    times.rate = base.rate;
    HeadlessRun run = base;
    run.onFrame = timeFrame;
    run.user = &times;
    long drawn = 0;
    const int rc = runHeadless(run, &drawn);
    std::printf("%ld frames\n", drawn);
    for (int p = 0; p < partCount; ++p)
        if (times.frames[p] > 0)
            std::printf("part %d: %ld frames, %.2f ms a frame, %.1f fps\n", p, times.frames[p],
                        times.us[p] / double(times.frames[p]) / 1000.0,
                        1e6 * double(times.frames[p]) / times.us[p]);
    return rc;
}
}  // namespace

int main(int argc, char** argv) {
    const long rate = argc >= 4 ? std::atol(argv[3]) : 0;
    std::vector<double> seconds;
    if (argc < 4 || argc > 5 || rate <= 0 || (argc == 5 && !parseStillTimes(argv[4], &seconds))) {
        std::fprintf(stderr, "usage: frames DATA_FOLDER OUT_FOLDER RATE [SECONDS,...]\n");
        return 2;
    }
    HeadlessRun run;
    run.dataDir = argv[1];
    run.rate = FrameRate{rate, 1};
    if (seconds.empty()) return timeParts(run);

    Stills stills;
    stills.folder = argv[2];
    for (size_t start = 0, end = 0; end != std::string::npos; start = end + 1) {
        end = std::string(argv[4]).find(',', start);
        stills.names.push_back(std::string(argv[4]).substr(start, end - start));
    }
    StillsRun still;
    still.run = run;
    still.frames = stillFrames(seconds, rate);
    still.onStill = writeStill;
    still.user = &stills;
    const int rc = runStills(still);
    return rc != 0 ? rc : stills.failed ? 1 : 0;
}
