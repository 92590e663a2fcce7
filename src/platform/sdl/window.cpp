#include "platform/window.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL2/SDL.h>

#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/keys.h"
#include "platform/report_error.h"
#include "platform/sdl/window_state.h"
#include "platform/window_options.h"

namespace {
DemoWindow theWindow = {};
void (*closeCallback)() = nullptr;

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

void failGlSetup(const char* text) {
    reportError(text);
}

SDL_Window* openWindow(Uint32 flags, bool fullscreen, int width, int height) {
    const int at = fullscreen ? 0 : SDL_WINDOWPOS_CENTERED;
    return SDL_CreateWindow(".quellTarn", at, at, width, height, flags);
}

// With --msaa the asked-for count first, then the lower ones; the plain
// visual when the GL offers none of them.
SDL_Window* createMultisampledWindow(Uint32 flags, bool fullscreen, int width, int height) {
    int counts[4];
    const int n = msaaFallbacks(windowOptions.msaaSamples, counts);
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
    w->context = SDL_GL_CreateContext(w->window);
    if (!w->context) {
        failGlSetup("Can't Create A GL Rendering Context.");
        return false;
    }
    if (SDL_GL_MakeCurrent(w->window, w->context) != 0) {
        failGlSetup("Can't activate GLRC.");
        return false;
    }
    int dw = width, dh = height;
    SDL_GL_GetDrawableSize(w->window, &dw, &dh);
    initGlState(dw, dh);
    return true;
}
}  // namespace

void setCloseCallback(void (*fn)()) { closeCallback = fn; }

void showErrorBox(const char* text) {
    SDL_ShowCursor(SDL_ENABLE);
    if (!displayAvailable()) return;
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Error", text, nullptr);
}

namespace {
// Ctrl-C or SIGTERM while the demo plays: recorded here, acted on by the
// next pumpMessages, so the run ends through the close handling but with
// the signal's exit code (130, 143), not that of a finished run.
volatile sig_atomic_t stopSignal = 0;

void onStopSignal(int sig) { stopSignal = sig; }

// Only where nobody installed handlers of their own (the offscreen tools
// do) and SDL was not told to leave them alone.
void installStopSignals() {
    if (std::getenv("SDL_NO_SIGNAL_HANDLERS")) return;
    struct sigaction old = {};
    if (sigaction(SIGINT, nullptr, &old) != 0 || old.sa_handler != SIG_DFL) return;
    if (sigaction(SIGTERM, nullptr, &old) != 0 || old.sa_handler != SIG_DFL) return;
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    // A second signal ends the process at once, should the loop be stuck.
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

}  // namespace

namespace {

// SDL's video, on a display a viewer can see. False after saying why.
bool openVideo() {
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        std::fprintf(stderr, "video: %s\n", SDL_GetError());
        return false;
    }
    // Without a display SDL falls back to drivers that show nothing: a viewer
    // would hear four minutes of music and see no window.
    if (!driverRequested() && isHeadlessDriver(SDL_GetCurrentVideoDriver())) {
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
    w->finishBeforeSwap = driver && std::strcmp(driver, "offscreen") == 0;

    SDL_ShowWindow(w->window);
    SDL_RaiseWindow(w->window);
    SDL_GL_MakeCurrent(w->window, w->context);
    int dw = width, dh = height;
    SDL_GL_GetDrawableSize(w->window, &dw, &dh);
    setPerspective(dw, dh);
}

}  // namespace

DemoWindow* createDemoWindow(int width, int height, int fullscreen) {
    setErrorBox(showErrorBox);
    // Alt-Tab away from the fullscreen demo gives the desktop its own mode
    // back; coming back switches again. The music and clock keep running.
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "1");
    installStopSignals();
    if (!openVideo()) return nullptr;

    DemoWindow* w = &theWindow;
    *w = DemoWindow{};
    w->fullscreen = fullscreen == 1;
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_ALLOW_HIGHDPI;
    flags |= w->fullscreen ? SDL_WINDOW_BORDERLESS : SDL_WINDOW_RESIZABLE;
    w->window = createMultisampledWindow(flags, w->fullscreen, width, height);
    if (!w->window) {
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
    if (windowOptions.msaaSamples > 0) reportSamples(windowOptions.msaaSamples);
    if (w->fullscreen && !enterFullscreen(w, width, height)) {
        releaseDemoWindow(w);
        return nullptr;
    }
    showWindow(w, width, height);
    return w;
}

void demoWindowSize(const DemoWindow* window, int* width, int* height) {
    SDL_GL_GetDrawableSize(window->window, width, height);
}

void presentFrame(DemoWindow* window) {
    clearPictureBars();
    if (window->finishBeforeSwap) glFinish();
    SDL_GL_SwapWindow(window->window);
}

void presentDemoWindow() { presentFrame(&theWindow); }

void releaseDemoWindow(DemoWindow* window) {
    if (window && window->window) {
        // Leaving fullscreen gives the desktop its mode back.
        if (window->fullscreen) SDL_SetWindowFullscreen(window->window, 0);
        SDL_ShowCursor(SDL_ENABLE);
        SDL_GL_MakeCurrent(window->window, nullptr);
        if (window->context) SDL_GL_DeleteContext(window->context);
        SDL_DestroyWindow(window->window);
        window->window = nullptr;
        window->context = nullptr;
        window->modeSwitched = false;
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

namespace {
[[noreturn]] void closeWithCode(DemoWindow* window, int code) {
    releaseDemoWindow(window);
    if (closeCallback) closeCallback();
    SDL_Quit();
    std::exit(code);
}
}  // namespace

void closeDemoWindow(DemoWindow* window) { closeWithCode(window, 0); }

void pumpMessages() {
    if (stopSignal) closeWithCode(&theWindow, 128 + int(stopSignal));
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
                    if (theWindow.window) SDL_GL_GetDrawableSize(theWindow.window, &dw, &dh);
                    setPerspective(dw, dh);
                } else if (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
                    resumeFullscreen(&theWindow);
                } else if (e.window.event == SDL_WINDOWEVENT_CLOSE) {
                    closeDemoWindow(&theWindow);
                }
                break;
            case SDL_QUIT:
                closeDemoWindow(&theWindow);
            default:
                break;
        }
    }
}
