#include <cstdio>

#include "platform/display_modes.h"
#include "platform/win32/native_window.h"

namespace {
// Written before the switch, read by the restore, which may run from an
// exit or crash handler.
volatile LONG switched = 0;
}  // namespace

bool switchDisplayMode(DemoWindow* w, int width, int height) {
    static DisplayMode modes[maxDisplayModes];
    static DEVMODEA devmodes[maxDisplayModes];
    int count = 0;
    while (count < maxDisplayModes) {
        DEVMODEA m = {};
        m.dmSize = sizeof m;
        if (!EnumDisplaySettingsA(nullptr, DWORD(count), &m)) break;
        devmodes[count] = m;
        modes[count] = DisplayMode{int(m.dmPelsWidth), int(m.dmPelsHeight), int(m.dmBitsPerPel),
                                   int(m.dmDisplayFrequency)};
        ++count;
    }
    const int best = findBestDisplayMode(modes, count, width, height);
    if (best < 0) {
        std::fprintf(stderr, "video: the display offers no %dx%d mode; fullscreen at the desktop size\n",
                     width, height);
        return false;
    }
    DEVMODEA mode = devmodes[best];
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL;
    InterlockedExchange(&switched, 1);
    const LONG rc = ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN);
    if (rc != DISP_CHANGE_SUCCESSFUL) {
        InterlockedExchange(&switched, 0);
        ChangeDisplaySettingsA(nullptr, 0);
        std::fprintf(stderr, "video: cannot switch to %dx%d (code %ld); fullscreen at the desktop size\n",
                     width, height, long(rc));
        return false;
    }
    w->native->mode = mode;
    w->modeSwitched = true;
    return true;
}

void restoreDisplayMode() {
    if (InterlockedExchange(&switched, 0)) ChangeDisplaySettingsA(nullptr, 0);
}

void suspendFullscreen(DemoWindow* w) {
    if (!w->modeSwitched || !switched) return;
    restoreDisplayMode();
    ShowWindow(w->native->window, SW_MINIMIZE);
}

void resumeFullscreen(DemoWindow* w) {
    if (!w->modeSwitched || switched) return;
    InterlockedExchange(&switched, 1);
    if (ChangeDisplaySettingsA(&w->native->mode, CDS_FULLSCREEN) != DISP_CHANGE_SUCCESSFUL) {
        InterlockedExchange(&switched, 0);
        return;
    }
    ShowWindow(w->native->window, SW_RESTORE);
    SetWindowPos(w->native->window, HWND_TOPMOST, 0, 0, int(w->native->mode.dmPelsWidth),
                 int(w->native->mode.dmPelsHeight),
                 SWP_SHOWWINDOW);
}
