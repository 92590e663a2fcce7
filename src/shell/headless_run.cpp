#include "shell/headless_run.h"

#include <GL/gl.h>

#include <cstring>
#include <vector>

#include "platform/data_path.h"
#include "platform/stop_signal.h"
#include "platform/window.h"
#include "script/frame_loop.h"
#include "shell/start_up.h"
#include "state/demo_state.h"

namespace {
// Where a headless run stands, handed to the frame loop's callbacks.
struct HeadlessProgress {
    const HeadlessRun* run;
    FixedStepReadings clock;
    bool stopRequested;
};

uint32_t fixedClock(void* user) {
    return readFixedStep(&static_cast<HeadlessProgress*>(user)->clock);
}

void afterFrame(void* user) {
    HeadlessProgress* p = static_cast<HeadlessProgress*>(user);
    if (p->run->onFrame && !p->run->onFrame(p->clock.current, p->run->user)) p->stopRequested = true;
    if (p->run->present)
        p->run->present(p->run->user);
    else
        presentDemoWindow();
}

int stopAsked(void* user) {
    return static_cast<HeadlessProgress*>(user)->stopRequested || stopSignalReceived() ? 1 : 0;
}
}  // namespace

int runHeadless(const HeadlessRun& run, long* framesDrawn) {
    installStopSignals();
    if (!run.dataDir.empty()) setDataDirectory(run.dataDir.c_str());
    DemoStart start;
    // Always offscreen: this program never shows a window or a box.
    start.window.offscreen = true;
    start.window.msaaSamples = run.msaaSamples;
    start.width = run.width;
    start.height = run.height;
    start.warmUp = run.warmUp;
    start.exactSize = true;
    if (!startDemo(start)) return 1;
    // A stop asked for while loading: no frame at all.
    if (stopSignalReceived()) return stopSignalExitCode();
    const long drawn = playHeadless(run);
    if (framesDrawn) *framesDrawn = drawn;
    return stopSignalExitCode();
}

long playHeadless(const HeadlessRun& run) {
    HeadlessProgress progress = {&run, {}, false};
    progress.clock.rate = run.rate;
    progress.clock.offsetMs = run.startMs;
    demo.musicStartMs = 0;
    return runDemo(FrameLoopIo{.readTimer = fixedClock, .presentFrame = afterFrame,
                               .callerDone = stopAsked, .user = &progress});
}

void readFrameRgb(int width, int height, unsigned char* rgb) {
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    // GL rows start at the bottom; pictures start at the top.
    const size_t row = size_t(width) * 3;
    std::vector<unsigned char> tmp(row);
    for (int y = 0; y < height / 2; ++y) {
        unsigned char* a = rgb + size_t(y) * row;
        unsigned char* b = rgb + size_t(height - 1 - y) * row;
        std::memcpy(tmp.data(), a, row);
        std::memcpy(a, b, row);
        std::memcpy(b, tmp.data(), row);
    }
}
