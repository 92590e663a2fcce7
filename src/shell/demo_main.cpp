#include "shell/demo_main.h"

#include "platform/keys.h"
#include "platform/report_error.h"
#include "platform/standard_output.h"
#include "platform/timer.h"
#include "platform/window.h"
#include "script/frame_loop.h"
#include "script/setup.h"
#include "shell/music.h"
#include "shell/shell_options.h"
#include "shell/start_up.h"
#include "state/demo_state.h"

namespace {
uint32_t systemTimer(void*) { return readSystemTimer(); }
void pumpWindow(void*) { pumpMessages(); }
void followMusic(void*) { queryMusicPosition(); }
void present(void*) { presentDemoWindow(); }
int escapeHeld(void*) { return demo.KeyState[vkEscape]; }
}  // namespace

int playDemo(DemoWindow* window) {
    if (!startMusic("data\\5tfina.mp3")) {
        setCloseCallback(nullptr);
        stopMusic();
        releaseDemoWindow(window);
        reportError("cannot play audio");
        return 0;
    }
    runDemo(FrameLoopIo{systemTimer, pumpWindow, followMusic, present, escapeHeld, nullptr});
    return 1;
}

int demoMain(int fullscreen, int argc, char** argv, bool warmUp) {
    if (argv) {
        bool help = false;
        if (!parseShellOptions(argc, argv, fullscreen, &windowOptions, &help)) return 2;
        if (help) {
            printShellUsage(fullscreen, false);
            return finishStandardOutput(fullscreen ? "demo" : "demo-windowed", 0);
        }
    }
    DemoStart start;
    start.fullscreen = fullscreen;
    start.warmUp = warmUp;
    DemoWindow* window = startDemo(start);
    if (!window) return 1;
    // The player is released with the window when the user closes it mid-run.
    setCloseCallback(stopMusic);
    if (!playDemo(window)) return 1;
    freeAll();
    stopMusic();
    setCloseCallback(nullptr);
    closeDemoWindow(window);
}
