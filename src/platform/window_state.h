#pragma once

// The demo window as every backend keeps it, and what each backend adds to
// the shared close handling (platform/window_close.cpp). For the backends
// only; the rest of the program holds a DemoWindow* and calls window.h.

// The backend's own handles (window, GL context, display mode), declared in
// its platform/<backend>/native_window.h and defined there once, as
// `nativeWindow`.
struct NativeWindow;
extern NativeWindow nativeWindow;

struct DemoWindow {
    NativeWindow* native;  // always &nativeWindow
    bool fullscreen;
    // The display mode was changed and must be given back on the way out.
    bool modeSwitched;
    int width, height;  // the drawable, as last seen
};

// The one window, whether open or not.
DemoWindow* demoWindow();

// The backend's part of pumpMessages: keys through applyVirtualKey, size
// changes, focus; a close request calls closeDemoWindow.
void pumpWindowEvents(DemoWindow* window);

// The backend's last step of the close handling, after the window was
// released and the close callback ran: the process (or the page's program)
// ends with that exit code.
[[noreturn]] void endDemoProcess(int code);

// The close handling with another exit code than 0: a stop request's.
[[noreturn]] void closeDemoWindowWithCode(DemoWindow* window, int code);
