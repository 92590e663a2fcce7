#include "shell/start_up.h"

#include "platform/report_error.h"
#include "platform/window.h"
#include "script/setup.h"
#include "script/warm_up.h"
#include "shell/gl_capabilities.h"
#include "state/demo_state.h"

namespace {
// The steps once a GL context is current: null when all went well, else the
// demo's message for what failed, not yet reported.
const char* prepareDemo(const DemoStart& start) {
    if (!checkMultiTexture()) return "no multi-texturing supported";
    if (!(start.warmUp ? loadAllWarmedUp() : loadAll())) return "cannot load scenes or textures";
    return nullptr;
}
}  // namespace

DemoWindow* startDemo(const DemoStart& start) {
    resetSceneSwitches();
    DemoWindow* window = createDemoWindow(start.width, start.height, start.fullscreen, start.window);
    if (!window) {
        reportError("cannot init opengl-window");
        return nullptr;
    }
    if (start.exactSize) {
        int w = 0, h = 0;
        demoWindowSize(window, &w, &h);
        if (w != start.width || h != start.height) {
            releaseDemoWindow(window);
            reportError("cannot init opengl-window");
            return nullptr;
        }
    }
    // A failure from here on gives the desktop its display mode back first,
    // so the message is read on the desktop and the mode does not outlive us.
    if (const char* failure = prepareDemo(start)) {
        releaseDemoWindow(window);
        reportError(failure);
        return nullptr;
    }
    return window;
}

bool startDemoOnContext(const DemoStart& start) {
    resetSceneSwitches();
    initGlState(start.width, start.height);
    if (const char* failure = prepareDemo(start)) {
        reportError(failure);
        return false;
    }
    return true;
}
