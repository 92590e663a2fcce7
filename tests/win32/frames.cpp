// frames: the demo's frame loop in its window on a fixed-step clock, as the
// Linux capture program runs it offscreen: frame n is drawn at music time
// n / RATE seconds, from frame 0 on, with no sound.
//
//   frames DATA_FOLDER OUT_FOLDER RATE [SECONDS,...]
//
// Writes the frames at the listed times (rounded to the nearest frame, as
// the capture program's --at does) as OUT_FOLDER/at-SECONDS.ppm, top row
// first, and stops after the last; without a list it plays the whole
// timeline. Prints, per part, how many frames were drawn and the mean time
// of one (drawing finished before the clock is read).
#include <windows.h>
#include <GL/gl.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/data_path.h"
#include "platform/timer.h"
#include "platform/window.h"
#include "script/frame_loop.h"
#include "script/timeline.h"
#include "shell/shell_options.h"
#include "shell/start_up.h"

namespace {
long rate = 30;
std::string outFolder;
std::vector<std::pair<long, std::string>> wanted;  // frame, name
long lastWanted = -1;
long currentFrame = -1;
long nextFrame = 0;
bool firstReading = true;
bool stop = false;
uint64_t frameStartUs = 0;
double partUs[partCount + 1] = {};
long partFrames[partCount + 1] = {};

uint32_t frameMs(long n) { return uint32_t((n * 2000 + rate) / (2 * rate)); }

uint32_t fixedClock(void*) {
    if (firstReading) {
        firstReading = false;
        return 0;
    }
    currentFrame = nextFrame++;
    frameStartUs = readSystemTimerUs();
    return frameMs(currentFrame);
}

void writeFrame(const std::string& name) {
    const int w = 640, h = 480;  // the windowed demo's drawable
    std::vector<unsigned char> rgb(size_t(w) * h * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    FILE* f = std::fopen((outFolder + "/at-" + name + ".ppm").c_str(), "wb");
    if (!f) return;
    std::fprintf(f, "P6\n%d %d\n255\n", w, h);
    for (int y = h - 1; y >= 0; --y) std::fwrite(rgb.data() + size_t(y) * w * 3, 1, size_t(w) * 3, f);
    std::fclose(f);
}

void afterFrame(void*) {
    glFinish();
    const int part = partIndexForElapsed(int32_t(frameMs(currentFrame)));
    if (part >= 0 && part <= partCount) {
        partUs[part] += double(readSystemTimerUs() - frameStartUs);
        ++partFrames[part];
    }
    for (const auto& [frame, name] : wanted)
        if (frame == currentFrame) writeFrame(name);
    if (lastWanted >= 0 && currentFrame >= lastWanted) stop = true;
    pumpMessages();
    presentDemoWindow();
}

int stopHeld(void*) { return stop ? 1 : 0; }
}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: frames DATA_FOLDER OUT_FOLDER RATE [SECONDS,...]\n");
        return 2;
    }
    setDataDirectory(argv[1]);
    outFolder = argv[2];
    rate = std::atol(argv[3]);
    if (rate <= 0) return 2;
    if (argc > 4) {
        for (const std::string& name : splitCommaList(argv[4])) {
            const long frame = std::lround(std::atof(name.c_str()) * double(rate));
            wanted.emplace_back(frame, name);
            if (frame > lastWanted) lastWanted = frame;
        }
    }
    DemoStart start;
    start.warmUp = false;
    start.exactSize = true;
    if (!startDemo(start)) return 1;
    demo.musicStartMs = 0;
    const long drawn = runDemo(FrameLoopIo{fixedClock, nullptr, nullptr, afterFrame, stopHeld, nullptr});
    std::printf("%ld frames\n", drawn);
    for (int p = 0; p < partCount; ++p)
        if (partFrames[p] > 0)
            std::printf("part %d: %ld frames, %.2f ms a frame, %.1f fps\n", p, partFrames[p],
                        partUs[p] / partFrames[p] / 1000.0, 1e6 * partFrames[p] / partUs[p]);
    return 0;
}
