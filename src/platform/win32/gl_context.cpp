#include "platform/win32/gl_context.h"

#include <GL/gl.h>
#include <GL/wglext.h>

#include <cstdio>

#include "platform/report_error.h"
#include "platform/window_options.h"

namespace {
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
            reinterpret_cast<PFNWGLCHOOSEPIXELFORMATARBPROC>(
            reinterpret_cast<void*>(wglGetProcAddress("wglChoosePixelFormatARB")));
        int counts[4];
        const int n = choose ? msaaFallbacks(samples, counts) : 0;
        for (int i = 0; i < n && !multisampledFormat; ++i) {
            const int attributes[] = {WGL_DRAW_TO_WINDOW_ARB, 1, WGL_SUPPORT_OPENGL_ARB, 1,
                                      WGL_DOUBLE_BUFFER_ARB, 1, WGL_PIXEL_TYPE_ARB, WGL_TYPE_RGBA_ARB,
                                      WGL_COLOR_BITS_ARB, 16, WGL_DEPTH_BITS_ARB, 16,
                                      WGL_SAMPLE_BUFFERS_ARB, 1, WGL_SAMPLES_ARB, counts[i], 0};
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
    auto swapInterval = reinterpret_cast<PFNWGLSWAPINTERVALEXTPROC>(
        reinterpret_cast<void*>(wglGetProcAddress("wglSwapIntervalEXT")));
    if (swapInterval) swapInterval(interval);
}
