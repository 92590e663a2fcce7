#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/display_modes.h"
#include "platform/sdl/native_window.h"

namespace {
// Wayland compositors (and X programs under them) only pretend to change the
// mode: they scale a small window up, stretched on a wide screen.
bool modesAreEmulated() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver && std::strcmp(driver, "wayland") == 0) return true;
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return wayland && *wayland;
}

int bestModeIndex(int width, int height) {
    static DisplayMode modes[maxDisplayModes];
    int count = SDL_GetNumDisplayModes(0);
    if (count < 1) return -1;
    if (count > maxDisplayModes) count = maxDisplayModes;
    int kept = 0;
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode m;
        if (SDL_GetDisplayMode(0, i, &m) != 0) break;
        modes[i] = DisplayMode{m.w, m.h, int(SDL_BITSPERPIXEL(m.format)), m.refresh_rate};
        kept = i + 1;
    }
    return findBestDisplayMode(modes, kept, width, height);
}

bool switchMode(DemoWindow* w, int width, int height) {
    if (modesAreEmulated()) {
        std::fprintf(stderr, "video: this desktop does not switch modes; fullscreen at its own size\n");
        return false;
    }
    const int best = bestModeIndex(width, height);
    SDL_DisplayMode chosen;
    if (best < 0 || SDL_GetDisplayMode(0, best, &chosen) != 0) {
        std::fprintf(stderr, "video: the display offers no %dx%d mode; fullscreen at the desktop size\n",
                     width, height);
        return false;
    }
    if (SDL_SetWindowDisplayMode(w->native->window, &chosen) != 0 ||
        SDL_SetWindowFullscreen(w->native->window, SDL_WINDOW_FULLSCREEN) != 0) {
        std::fprintf(stderr, "video: cannot switch to %dx%d (%s); fullscreen at the desktop size\n",
                     width, height, SDL_GetError());
        SDL_SetWindowFullscreen(w->native->window, 0);
        return false;
    }
    w->modeSwitched = true;
    SDL_DisplayMode now;
    if (SDL_GetCurrentDisplayMode(0, &now) == 0 && now.w == width && now.h == height) return true;
    std::fprintf(stderr, "video: the display did not switch to %dx%d; fullscreen at the desktop size\n",
                 width, height);
    SDL_SetWindowFullscreen(w->native->window, 0);
    return false;
}
}  // namespace

bool enterFullscreen(DemoWindow* w, int width, int height, bool desktopSize) {
    // --desktop-size: the screen keeps its mode (and a multi-monitor desktop
    // its arrangement); the picture is drawn at the screen's resolution.
    if (!desktopSize && switchMode(w, width, height)) return true;
    SDL_DisplayMode desktop;
    if (SDL_GetDesktopDisplayMode(0, &desktop) != 0) {
        std::fprintf(stderr, "video: cannot go fullscreen: %s\n", SDL_GetError());
        return false;
    }
    // The borderless window over the whole screen first, so that it covers it
    // also where no window manager acts on the fullscreen request.
    SDL_SetWindowPosition(w->native->window, 0, 0);
    SDL_SetWindowSize(w->native->window, desktop.w, desktop.h);
    if (SDL_SetWindowFullscreen(w->native->window, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0)
        std::fprintf(stderr, "video: fullscreen request refused (%s); a window over the screen\n",
                     SDL_GetError());
    return true;
}

void resumeFullscreen(DemoWindow* w) {
    if (!w->native->window || !w->modeSwitched) return;
    // One pump can bring a focus gained and the loss after it (another
    // program took the focus back while we were loading): what counts is
    // whether the window has the focus now.
    if (!(SDL_GetWindowFlags(w->native->window) & SDL_WINDOW_INPUT_FOCUS)) return;
    SDL_DisplayMode want, now;
    if (SDL_GetWindowDisplayMode(w->native->window, &want) != 0 || SDL_GetCurrentDisplayMode(0, &now) != 0)
        return;
    if (now.w == want.w && now.h == want.h) return;
    // Back from another program, and nothing restored our mode (a window
    // manager does, by restoring the minimised window): switch again.
    SDL_SetWindowFullscreen(w->native->window, 0);
    SDL_SetWindowFullscreen(w->native->window, SDL_WINDOW_FULLSCREEN);
}
