#include "shell/start_up.h"

#include "fx/switches.h"
#include "platform/report_error.h"
#include "platform/window.h"
#include "script/setup.h"
#include "script/warm_up.h"

int checkMultiTexture() { return 1; }

DemoWindow* startDemo(const DemoStart& start) {
    resetSceneSwitches();
    DemoWindow* window = createDemoWindow(start.width, start.height, start.fullscreen);
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
    if (!checkMultiTexture()) {
        releaseDemoWindow(window);
        reportError("no multi-texturing supported");
        return nullptr;
    }
    if (!(start.warmUp ? loadAllWarmedUp() : loadAll())) {
        releaseDemoWindow(window);
        reportError("cannot load scenes or textures");
        return nullptr;
    }
    return window;
}
