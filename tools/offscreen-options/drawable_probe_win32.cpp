#include "drawable_probe.h"

#include "drawable_limit.h"
#include "platform/window.h"

int probeDrawableLimit() {
    // The offscreen drawable is a borderless popup window, which Windows makes
    // at any size asked for: the GL's limit is the one that counts, asked of
    // a small window of the same kind.
    WindowOptions options;
    options.offscreen = true;
    DemoWindow* window = createDemoWindow(64, 48, 0, options);
    if (!window) return 0;
    const int limit = currentDrawableLimit();
    releaseDemoWindow(window);
    return limit;
}

std::string windowSizeProblem(int, int) { return ""; }
