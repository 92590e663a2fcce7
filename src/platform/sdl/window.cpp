#include "platform/window.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL2/SDL.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/keys.h"
#include "platform/report_error.h"
#include "platform/sdl/native_window.h"
#include "platform/stop_signal.h"

NativeWindow nativeWindow = {};

namespace {

bool isHeadlessDriver(const char* driver) {
    return driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

// Tests and the offscreen tools ask for their driver by name.
bool driverRequested() {
    const char* v = std::getenv("SDL_VIDEODRIVER");
    return v && *v;
}

bool displayAvailable() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver) return !isHeadlessDriver(driver);
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x && *x) || (wayland && *wayland);
}

// A run whose stderr a program reads through a pipe (a test, a script's
// pipeline) got the message there already; a box would wait for a click
// nobody makes. A terminal, a log file or the desktop's journal keep the box.
bool stderrIsPiped() {
    struct stat st;
    return fstat(2, &st) == 0 && S_ISFIFO(st.st_mode);
}

void failGlSetup(const char* text) {
    reportError(text);
}

SDL_Window* openWindow(Uint32 flags, bool fullscreen, int width, int height) {
    const int at = fullscreen ? 0 : SDL_WINDOWPOS_CENTERED;
    return SDL_CreateWindow(".quellTarn", at, at, width, height, flags);
}

// With --msaa the asked-for count first, then the lower ones; the plain
// visual when the GL offers none of them.
SDL_Window* createMultisampledWindow(Uint32 flags, bool fullscreen, int width, int height,
                                     int samples) {
    int counts[4];
    const int n = msaaFallbacks(samples, counts);
    for (int i = 0; i < n; ++i) {
        SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, 1);
        SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, counts[i]);
        if (SDL_Window* window = openWindow(flags, fullscreen, width, height)) return window;
    }
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, 0);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, 0);
    return openWindow(flags, fullscreen, width, height);
}

bool makeContext(DemoWindow* w, int width, int height) {
    w->native->context = SDL_GL_CreateContext(w->native->window);
    if (!w->native->context) {
        failGlSetup("Can't Create A GL Rendering Context.");
        return false;
    }
    if (SDL_GL_MakeCurrent(w->native->window, w->native->context) != 0) {
        failGlSetup("Can't activate GLRC.");
        return false;
    }
    int dw = width, dh = height;
    SDL_GL_GetDrawableSize(w->native->window, &dw, &dh);
    initGlState(dw, dh);
    return true;
}
}  // namespace

void showErrorBox(const char* text) {
    SDL_ShowCursor(SDL_ENABLE);
    if (!displayAvailable() || stderrIsPiped()) return;
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Error", text, nullptr);
}

namespace {

// SDL's video, on a display a viewer can see, or offscreen where asked for.
// False after saying why.
bool openVideo(bool offscreen) {
    if (offscreen) SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "offscreen", SDL_HINT_OVERRIDE);
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        std::fprintf(stderr, "video: %s\n", SDL_GetError());
        return false;
    }
    // Without a display SDL falls back to drivers that show nothing: a viewer
    // would hear four minutes of music and see no window.
    if (!offscreen && !driverRequested() && isHeadlessDriver(SDL_GetCurrentVideoDriver())) {
        std::fprintf(stderr, "video: no display to open a window on (SDL found only its %s driver; "
                             "is DISPLAY or WAYLAND_DISPLAY set?)\n",
                     SDL_GetCurrentVideoDriver());
        SDL_Quit();
        return false;
    }
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 5);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 5);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 5);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    return true;
}

// The window with its context made: presented in step with the display,
// shown, raised and its viewport set.
void showWindow(DemoWindow* w, int width, int height) {
    if (w->fullscreen) SDL_ShowCursor(SDL_DISABLE);
    // Present in step with the display where the driver allows it (smooth
    // motion); adaptive first, plain vsync otherwise.
    if (SDL_GL_SetSwapInterval(-1) != 0) SDL_GL_SetSwapInterval(1);

    const char* driver = SDL_GetCurrentVideoDriver();
    w->native->finishBeforeSwap = driver && std::strcmp(driver, "offscreen") == 0;

    SDL_ShowWindow(w->native->window);
    SDL_RaiseWindow(w->native->window);
    SDL_GL_MakeCurrent(w->native->window, w->native->context);
    int dw = width, dh = height;
    SDL_GL_GetDrawableSize(w->native->window, &dw, &dh);
    w->width = dw;
    w->height = dh;
    setPerspective(dw, dh);
}

}  // namespace

DemoWindow* createDemoWindow(int width, int height, int fullscreen, const WindowOptions& options) {
    setErrorBox(showErrorBox);
    // Alt-Tab away from the fullscreen demo gives the desktop its own mode
    // back; coming back switches again. The music and clock keep running.
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "1");
    installStopSignals();
    if (!openVideo(options.offscreen)) return nullptr;

    DemoWindow* w = demoWindow();
    *w->native = NativeWindow{};
    w->fullscreen = fullscreen == 1;
    w->modeSwitched = false;
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_ALLOW_HIGHDPI;
    flags |= w->fullscreen ? SDL_WINDOW_BORDERLESS : SDL_WINDOW_RESIZABLE;
    w->native->window =
        createMultisampledWindow(flags, w->fullscreen, width, height, options.msaaSamples);
    if (!w->native->window) {
        // No visual with the requested buffers (or no window at all).
        std::fprintf(stderr, "video: %s\n", SDL_GetError());
        failGlSetup("Can't Find A Suitable PixelFormat.");
        releaseDemoWindow(w);
        return nullptr;
    }
    if (!makeContext(w, width, height)) {
        releaseDemoWindow(w);
        return nullptr;
    }
    if (options.msaaSamples > 0) reportSamples(options.msaaSamples);
    if (w->fullscreen && !enterFullscreen(w, width, height, options.desktopSize)) {
        releaseDemoWindow(w);
        return nullptr;
    }
    showWindow(w, width, height);
    return w;
}

void demoWindowSize(const DemoWindow* window, int* width, int* height) {
    SDL_GL_GetDrawableSize(window->native->window, width, height);
}

void presentFrame(DemoWindow* window) {
    clearPictureBars();
    if (window->native->finishBeforeSwap) glFinish();
    SDL_GL_SwapWindow(window->native->window);
}

void releaseDemoWindow(DemoWindow* window) {
    if (window && window->native->window) {
        // Leaving fullscreen gives the desktop its mode back.
        if (window->fullscreen) SDL_SetWindowFullscreen(window->native->window, 0);
        SDL_ShowCursor(SDL_ENABLE);
        SDL_GL_MakeCurrent(window->native->window, nullptr);
        if (window->native->context) SDL_GL_DeleteContext(window->native->context);
        SDL_DestroyWindow(window->native->window);
        window->native->window = nullptr;
        window->native->context = nullptr;
        window->modeSwitched = false;
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

void endDemoProcess(int code) {
    SDL_Quit();
    std::exit(code);
}

void pumpWindowEvents(DemoWindow* window) {
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        switch (e.type) {
            case SDL_KEYDOWN:
            case SDL_KEYUP:
                applyKeyEvent(e.key.keysym.sym, e.type == SDL_KEYDOWN,
                              (e.key.keysym.mod & KMOD_ALT) != 0);
                break;
            case SDL_WINDOWEVENT:
                if (e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
                    int dw = e.window.data1, dh = e.window.data2;
                    if (window->native->window) SDL_GL_GetDrawableSize(window->native->window, &dw, &dh);
                    window->width = dw;
                    window->height = dh;
                    setPerspective(dw, dh);
                } else if (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
                    resumeFullscreen(window);
                } else if (e.window.event == SDL_WINDOWEVENT_CLOSE) {
                    closeDemoWindow(window);
                }
                break;
            case SDL_QUIT:
                closeDemoWindow(window);
            default:
                break;
        }
    }
}
