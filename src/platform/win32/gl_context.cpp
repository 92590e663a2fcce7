#include "platform/win32/gl_context.h"

#include <GL/gl.h>

#include <cstdio>

#include "platform/report_error.h"
#include "platform/window_options.h"

namespace {
// WGL_ARB_pixel_format and WGL_ARB_multisample names.
enum : int {
    wglDrawToWindow = 0x2001,
    wglSupportOpenGl = 0x2010,
    wglDoubleBuffer = 0x2011,
    wglPixelType = 0x2013,
    wglTypeRgba = 0x202B,
    wglColorBits = 0x2014,
    wglDepthBits = 0x2022,
    wglSampleBuffers = 0x2041,
    wglSamples = 0x2042,
};
typedef BOOL(WINAPI* ChoosePixelFormatArb)(HDC, const int*, const FLOAT*, UINT, int*, UINT*);
typedef BOOL(WINAPI* SwapIntervalExt)(int);

// The pixel format found for --msaa; 0: the plain one.
int multisampledFormat = 0;

PIXELFORMATDESCRIPTOR pixelFormatRequest() {
    PIXELFORMATDESCRIPTOR pfd = {};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 16;
    pfd.cDepthBits = 16;
    pfd.iLayerType = PFD_MAIN_PLANE;
    return pfd;
}
}  // namespace

HGLRC createGlContext(HDC dc) {
    PIXELFORMATDESCRIPTOR pfd = pixelFormatRequest();
    int format = multisampledFormat;
    if (!format) format = ChoosePixelFormat(dc, &pfd);
    if (!format) {
        reportError("Can't Find A Suitable PixelFormat.");
        return nullptr;
    }
    if (!SetPixelFormat(dc, format, &pfd)) {
        reportError("Can't Set The PixelFormat.");
        return nullptr;
    }
    HGLRC context = wglCreateContext(dc);
    if (!context) {
        reportError("Can't Create A GL Rendering Context.");
        return nullptr;
    }
    if (!wglMakeCurrent(dc, context)) {
        wglDeleteContext(context);
        reportError("Can't activate GLRC.");
        return nullptr;
    }
    return context;
}

void prepareMultisampling(HINSTANCE instance, int samples) {
    multisampledFormat = 0;
    WNDCLASSA wc = {};
    wc.style = CS_OWNDC;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = instance;
    wc.lpszClassName = "quellTarn probe";
    RegisterClassA(&wc);
    HWND probe = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 16, 16, nullptr, nullptr,
                                 instance, nullptr);
    if (!probe) return;
    HDC dc = GetDC(probe);
    PIXELFORMATDESCRIPTOR pfd = pixelFormatRequest();
    const int plain = ChoosePixelFormat(dc, &pfd);
    HGLRC context = nullptr;
    if (plain && SetPixelFormat(dc, plain, &pfd)) context = wglCreateContext(dc);
    if (context && wglMakeCurrent(dc, context)) {
        auto choose =
            reinterpret_cast<ChoosePixelFormatArb>(
            reinterpret_cast<void*>(wglGetProcAddress("wglChoosePixelFormatARB")));
        int counts[4];
        const int n = choose ? msaaFallbacks(samples, counts) : 0;
        for (int i = 0; i < n && !multisampledFormat; ++i) {
            const int attributes[] = {wglDrawToWindow, 1, wglSupportOpenGl, 1, wglDoubleBuffer, 1,
                                      wglPixelType, wglTypeRgba, wglColorBits, 16, wglDepthBits, 16,
                                      wglSampleBuffers, 1, wglSamples, counts[i], 0};
            int format = 0;
            UINT found = 0;
            if (choose(dc, attributes, nullptr, 1, &format, &found) && found > 0)
                multisampledFormat = format;
        }
        wglMakeCurrent(nullptr, nullptr);
    }
    if (context) wglDeleteContext(context);
    ReleaseDC(probe, dc);
    DestroyWindow(probe);
}

void setSwapInterval(int interval) {
    auto swapInterval = reinterpret_cast<SwapIntervalExt>(
        reinterpret_cast<void*>(wglGetProcAddress("wglSwapIntervalEXT")));
    if (swapInterval) swapInterval(interval);
}
