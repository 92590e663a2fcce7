#include "shell/demo_main.h"

#include "platform/keys.h"
#include "platform/report_error.h"
#include "platform/timer.h"
#include "platform/window.h"
#include "script/frame_loop.h"
#include "script/setup.h"
#include "shell/music.h"
#include "shell/play_control.h"
#include "shell/seek_replay.h"
#include "shell/shell_options.h"
#include "shell/start_up.h"
#include "state/demo_state.h"

namespace {
uint32_t systemTimer(void*) { return readSystemTimer(); }
void pumpWindow(void*) { pumpMessages(); }
uint32_t followMusic(void*, uint32_t now) { return queryMusicPosition(now); }
void present(void*) { presentDemoWindow(); }
int escapeHeld(void*) { return demo.KeyState[vkEscape]; }

// The music did not start: everything given back, then the demo's message.
bool cannotPlayAudio(DemoWindow* window) {
    setCloseCallback(nullptr);
    stopMusic();
    releaseDemoWindow(window);
    reportError("cannot play audio");
    return false;
}
}  // namespace

bool playDemo(DemoWindow* window) {
    if (!startMusic("data\\5tfina.mp3")) return cannotPlayAudio(window);
    runDemo(FrameLoopIo{.readTimer = systemTimer,
                        .pumpMessages = pumpWindow,
                        .musicStart = followMusic,
                        .presentFrame = present,
                        .escapeHeld = escapeHeld});
    return true;
}

bool playDemoWithKeys(DemoWindow* window, long startFrame) {
    if (!playWithKeys("data\\5tfina.mp3", startFrame)) return cannotPlayAudio(window);
    return true;
}

int demoMain(int fullscreen, int argc, char** argv, bool warmUp) {
    double startSeconds = 0;
    DemoStart start;
    if (argv) {
        bool help = false;
        if (!parseShellOptions(argc, argv, fullscreen, &start.window, &help, &startSeconds))
            return 2;
        if (help) return showHelp(shellProgram(fullscreen));
    }
    start.fullscreen = fullscreen;
    start.warmUp = warmUp;
    DemoWindow* window = startDemo(start);
    if (!window) return 1;
    // The player is released with the window when the user closes it mid-run.
    setCloseCallback(stopMusic);
    if (!playDemoWithKeys(window, startSeconds > 0 ? seekFrameAtSeconds(startSeconds) : 0)) return 1;
    freeAll();
    stopMusic();
    setCloseCallback(nullptr);
    closeDemoWindow(window);
}
