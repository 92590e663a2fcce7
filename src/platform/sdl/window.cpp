#include "platform/window.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL2/SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/display_modes.h"
#include "platform/keys.h"
#include "platform/report_error.h"

struct DemoWindow {
    SDL_Window* window;
    SDL_GLContext context;
    int fullscreen;
    // Without a display nothing paces the buffer swaps: the software renderer
    // would queue frames without limit, so each frame is finished first.
    bool finishBeforeSwap;
};

namespace {
DemoWindow theWindow = {};
void (*closeCallback)() = nullptr;

bool displayAvailable() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver) return std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0;
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x && *x) || (wayland && *wayland);
}

void failGlSetup(const char* text) {
    reportError(text);
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

void setPerspective(int width, int height) {
    if (height == 0) height = 1;
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, double(width) / double(height), 0.1, 10000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void initGlState(int width, int height) {
    glEnable(GL_TEXTURE_2D);
    glClearColor(0.2f, 0.2f, 0.2f, 0.0f);
    glClearDepth(1.0);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_DEPTH_TEST);
    glShadeModel(GL_SMOOTH);
    setPerspective(width, height);
}

DemoWindow* createDemoWindow(int width, int height, int fullscreen) {
    setErrorBox(showErrorBox);
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        std::fprintf(stderr, "video: %s\n", SDL_GetError());
        return nullptr;
    }
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 5);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 5);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 5);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);

    DemoWindow* w = &theWindow;
    w->fullscreen = fullscreen == 1;
    Uint32 flags = SDL_WINDOW_OPENGL;
    if (w->fullscreen) flags |= SDL_WINDOW_BORDERLESS;
    w->window = SDL_CreateWindow(".quellTarn", w->fullscreen ? 0 : SDL_WINDOWPOS_CENTERED,
                                 w->fullscreen ? 0 : SDL_WINDOWPOS_CENTERED, width, height,
                                 flags);
    if (!w->window) {
        // No visual with the requested buffers (or no window at all).
        std::fprintf(stderr, "video: %s\n", SDL_GetError());
        failGlSetup("Can't Find A Suitable PixelFormat.");
        return nullptr;
    }
    if (!makeContext(w, width, height)) return nullptr;

    if (w->fullscreen) {
        static DisplayMode modes[maxDisplayModes];
        int count = SDL_GetNumDisplayModes(0);
        if (count < 1) return nullptr;
        if (count > maxDisplayModes) count = maxDisplayModes;
        int kept = 0;
        for (int i = 0; i < count; ++i) {
            SDL_DisplayMode m;
            if (SDL_GetDisplayMode(0, i, &m) != 0) break;
            modes[i] = DisplayMode{m.w, m.h, int(SDL_BITSPERPIXEL(m.format)), m.refresh_rate};
            kept = i + 1;
        }
        const int best = findBestDisplayMode(modes, kept, width, height);
        if (best < 0) {
            std::fprintf(stderr, "video: the display offers no %dx%d mode\n", width, height);
            return nullptr;
        }
        SDL_DisplayMode chosen;
        if (SDL_GetDisplayMode(0, best, &chosen) != 0) return nullptr;
        if (SDL_SetWindowDisplayMode(w->window, &chosen) != 0 ||
            SDL_SetWindowFullscreen(w->window, SDL_WINDOW_FULLSCREEN) != 0) {
            std::fprintf(stderr, "video: cannot switch to %dx%d: %s\n", width, height,
                         SDL_GetError());
            return nullptr;
        }
        SDL_ShowCursor(SDL_DISABLE);
    }
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
    return w;
}

void demoWindowSize(const DemoWindow* window, int* width, int* height) {
    SDL_GL_GetDrawableSize(window->window, width, height);
}

void presentFrame(DemoWindow* window) {
    if (window->finishBeforeSwap) glFinish();
    SDL_GL_SwapWindow(window->window);
}

void presentDemoWindow() { presentFrame(&theWindow); }

void closeDemoWindow(DemoWindow* window) {
    if (window && window->window) {
        if (window->fullscreen) SDL_SetWindowFullscreen(window->window, 0);
        SDL_ShowCursor(SDL_ENABLE);
        SDL_GL_MakeCurrent(window->window, nullptr);
        if (window->context) SDL_GL_DeleteContext(window->context);
        SDL_DestroyWindow(window->window);
    }
    if (closeCallback) closeCallback();
    SDL_Quit();
    std::exit(0);
}

void pumpMessages() {
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
