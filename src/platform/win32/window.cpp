#include "platform/window.h"

#include <windows.h>
#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>

#include "platform/keys.h"
#include "platform/report_error.h"
#include "platform/win32/gl_context.h"
#include "platform/stop_signal.h"
#include "platform/win32/native_window.h"

NativeWindow nativeWindow = {};

namespace {
// Set while the window is being taken down, so the messages that causes do
// not start the close handling again.
bool releasing = false;
bool cursorHidden = false;
// Drawn for a read-back: the window takes no focus and shows no box.
bool offscreen = false;
const char* const windowClass = "OpenGL WinClass";

void showCursor() {
    if (!cursorHidden) return;
    ShowCursor(TRUE);
    cursorHidden = false;
}

// A run that somebody reads the output of (a script, a test, a pipe or a
// file) got the message on stderr already; a box there would wait for a
// click nobody makes. A viewer who started the program from the desktop
// or a console gets the box.
bool stderrIsRead() {
    const HANDLE h = GetStdHandle(STD_ERROR_HANDLE);
    if (!h || h == INVALID_HANDLE_VALUE) return false;
    const DWORD type = GetFileType(h);
    return type == FILE_TYPE_PIPE || type == FILE_TYPE_DISK;
}

// The desktop gets its mode back however the process ends, a crash included.
LONG WINAPI onCrash(EXCEPTION_POINTERS*) {
    restoreDisplayMode();
    return EXCEPTION_CONTINUE_SEARCH;
}

void atExit() { restoreDisplayMode(); }

LRESULT CALLBACK demoWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: {
            nativeWindow.window = hwnd;
            nativeWindow.dc = GetDC(hwnd);
            nativeWindow.context = createGlContext(nativeWindow.dc);
            if (nativeWindow.context) {
                RECT r;
                GetClientRect(hwnd, &r);
                initGlState(r.right, r.bottom);
            }
            return 0;
        }
        case WM_SIZE:
            if (nativeWindow.context && !releasing) {
                demoWindow()->width = LOWORD(lParam);
                demoWindow()->height = HIWORD(lParam);
                setPerspective(LOWORD(lParam), HIWORD(lParam));
            }
            return 0;
        case WM_CLOSE:
            if (!releasing) closeDemoWindow(demoWindow());
            return 0;
        case WM_DESTROY:
            return 0;
        case WM_KEYDOWN:
        case WM_KEYUP:
            applyVirtualKey(int(wParam), message == WM_KEYDOWN, 0);
            return 0;
        case WM_SYSKEYDOWN:
        case WM_SYSKEYUP:
            // Alt combinations and F10 belong to the system (Alt-Tab, Alt-F4).
            applyVirtualKey(int(wParam), message == WM_SYSKEYDOWN, 1);
            break;
        case WM_ACTIVATEAPP:
            if (demoWindow()->fullscreen && !releasing) {
                if (wParam)
                    resumeFullscreen(demoWindow());
                else
                    suspendFullscreen(demoWindow());
            }
            break;
        case WM_SYSCOMMAND:
            // No screen saver or monitor sleep over four minutes of pictures.
            if ((wParam & 0xFFF0) == SC_SCREENSAVE || (wParam & 0xFFF0) == SC_MONITORPOWER) return 0;
            break;
        case WM_ERASEBKGND:
            return 1;
        default:
            break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

bool registerClass(HINSTANCE instance) {
    static bool registered = false;
    if (registered) return true;
    WNDCLASSA wc = {};
    wc.style = CS_OWNDC;
    wc.lpfnWndProc = demoWindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = windowClass;
    registered = RegisterClassA(&wc) != 0;
    if (!registered)
        std::fprintf(stderr, "video: cannot register the window class (error %lu)\n",
                     (unsigned long)GetLastError());
    return registered;
}
}  // namespace

void showErrorBox(const char* text) {
    // The box must be seen: the desktop's own mode and the cursor first.
    restoreDisplayMode();
    showCursor();
    if (!offscreen && !stderrIsRead())
        MessageBoxA(nullptr, text, "Error", MB_OK | MB_ICONERROR | MB_TOPMOST | MB_SETFOREGROUND);
    // A report the demo plays on after (a missing flare file): its mode again.
    if (nativeWindow.window && demoWindow()->fullscreen && !releasing) {
        resumeFullscreen(demoWindow());
        if (!cursorHidden) {
            ShowCursor(FALSE);
            cursorHidden = true;
        }
    }
}

namespace {

// Where and how the window opens. Fullscreen: a borderless topmost window
// over the desktop first; once it has its GL context the display switches and
// the window shrinks to the mode. Windowed: a resizable window with a width x
// height drawable. Offscreen: a borderless window of exactly that drawable in
// the corner, behind the others.
struct WindowFrame {
    DWORD style, exStyle;
    int x, y, outerW, outerH;
};

WindowFrame windowFrame(bool fullscreen, int width, int height) {
    WindowFrame f = {0, 0, 0, 0, width, height};
    if (offscreen) {
        f.style = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
        f.exStyle = WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
    } else if (fullscreen) {
        f.style = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
        f.exStyle = WS_EX_TOPMOST;
        f.outerW = GetSystemMetrics(SM_CXSCREEN);
        f.outerH = GetSystemMetrics(SM_CYSCREEN);
    } else {
        f.style = WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
        RECT r = {0, 0, width, height};
        AdjustWindowRectEx(&r, f.style, FALSE, 0);
        f.outerW = r.right - r.left;
        f.outerH = r.bottom - r.top;
        f.x = f.y = CW_USEDEFAULT;
    }
    return f;
}

// The window shown, in front, its context current and its viewport set.
void showWindow(DemoWindow* w, HWND hwnd) {
    ShowWindow(hwnd, offscreen ? SW_SHOWNOACTIVATE : SW_SHOW);
    UpdateWindow(hwnd);
    if (!offscreen) {
        SetForegroundWindow(hwnd);
        SetFocus(hwnd);
    }
    wglMakeCurrent(w->native->dc, w->native->context);
    // Frames read back are not paced by the display.
    setSwapInterval(offscreen ? 0 : 1);
    RECT r;
    GetClientRect(hwnd, &r);
    w->width = r.right;
    w->height = r.bottom;
    setPerspective(r.right, r.bottom);
}

}  // namespace

DemoWindow* createDemoWindow(int width, int height, int fullscreen, const WindowOptions& options) {
    offscreen = options.offscreen;
    setErrorBox(showErrorBox);
    installStopSignals();
    SetUnhandledExceptionFilter(onCrash);
    static bool exitHook = false;
    if (!exitHook) exitHook = std::atexit(atExit) == 0;

    const HINSTANCE instance = GetModuleHandleA(nullptr);
    if (!registerClass(instance)) return nullptr;
    DemoWindow* w = demoWindow();
    *w->native = NativeWindow{};
    w->fullscreen = fullscreen == 1 && !offscreen;
    w->modeSwitched = false;
    releasing = false;

    if (options.msaaSamples > 0) prepareMultisampling(instance, options.msaaSamples);
    const WindowFrame f = windowFrame(w->fullscreen, width, height);
    const HWND hwnd = CreateWindowExA(f.exStyle, windowClass, ".quellTarn", f.style, f.x, f.y,
                                      f.outerW, f.outerH, nullptr, nullptr, instance, nullptr);
    if (!hwnd) {
        std::fprintf(stderr, "video: cannot open a window (error %lu; is there a display?)\n",
                     (unsigned long)GetLastError());
        releaseDemoWindow(w);
        return nullptr;
    }
    if (!w->native->context) {  // the GL set-up failed and said why
        releaseDemoWindow(w);
        return nullptr;
    }
    if (options.msaaSamples > 0) reportSamples(options.msaaSamples);
    if (w->fullscreen) {
        // --desktop-size: the screen keeps its mode; the picture is drawn at
        // the screen's resolution.
        if (!options.desktopSize && switchDisplayMode(w, width, height))
            SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, width, height, 0);
        ShowCursor(FALSE);
        cursorHidden = true;
    }
    showWindow(w, hwnd);
    return w;
}

void demoWindowSize(const DemoWindow* window, int* width, int* height) {
    RECT r = {0, 0, 0, 0};
    if (window && window->native->window) GetClientRect(window->native->window, &r);
    *width = r.right;
    *height = r.bottom;
}

void presentFrame(DemoWindow* window) {
    clearPictureBars();
    SwapBuffers(window->native->dc);
}

void releaseDemoWindow(DemoWindow* window) {
    restoreDisplayMode();
    showCursor();
    if (!window) return;
    releasing = true;
    wglMakeCurrent(nullptr, nullptr);
    if (window->native->context) wglDeleteContext(window->native->context);
    if (window->native->dc) ReleaseDC(window->native->window, window->native->dc);
    if (window->native->window) DestroyWindow(window->native->window);
    *window->native = NativeWindow{};
    *window = DemoWindow{window->native, false, false, 0, 0};
}

void endDemoProcess(int code) {
    std::fflush(stdout);
    std::fflush(stderr);
    std::exit(code);
}

void pumpWindowEvents(DemoWindow*) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;  // only the close handling ends the run
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}
