#include "shell/demo_main.h"

#include "fx/switches.h"
#include "platform/keys.h"
#include "platform/report_error.h"
#include "platform/timer.h"
#include "platform/window.h"
#include "script/frame_loop.h"
#include "script/setup.h"
#include "script/warm_up.h"
#include "shell/music.h"
#include "shell/shell_options.h"

namespace {
int escapeHeld() { return KeyState[vkEscape]; }
}  // namespace

int checkMultiTexture() { return 1; }

int demoMain(int fullscreen, int argc, char** argv) {
    if (argv) {
        bool help = false;
        if (!parseShellOptions(argc, argv, fullscreen, &windowOptions, &help)) return 2;
        if (help) {
            printShellUsage(fullscreen, false);
            return 0;
        }
    }
    cullNearZ = -0.1f;
    DemoWindow* window = createDemoWindow(640, 480, fullscreen);
    if (!window) {
        reportError("cannot init opengl-window");
        return 1;
    }
    // A failure from here on gives the desktop its display mode back first,
    // so the message is read on the desktop and the mode does not outlive us.
    if (!checkMultiTexture()) {
        releaseDemoWindow(window);
        reportError("no multi-texturing supported");
        return 1;
    }
    if (!loadAllWarmedUp()) {
        releaseDemoWindow(window);
        reportError("cannot load scenes or textures");
        return 1;
    }
    // The player is released with the window when the user closes it mid-run.
    setCloseCallback(stopMusic);
    if (!startMusic("data\\5tfina.mp3")) {
        setCloseCallback(nullptr);
        stopMusic();
        releaseDemoWindow(window);
        reportError("cannot play audio");
        return 1;
    }
    demoFrameIo = FrameLoopIo{readSystemTimer, pumpMessages, queryMusicPosition,
                              presentDemoWindow, escapeHeld, nullptr};
    runDemo();
    freeAll();
    stopMusic();
    setCloseCallback(nullptr);
    closeDemoWindow(window);
}
