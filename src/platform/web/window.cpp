#include "platform/window.h"

#include <GL/gl.h>
#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstdio>

#include "platform/report_error.h"
#include "platform/web/page_bridge.h"
#include "platform/web/web_present.h"

#ifdef DEMO_GL_LAYER
#include "gl/gl_layer.h"
#endif

// The window is the page's canvas "#canvas" with a WebGL 1 context. Its
// drawable stays 640 x 480; the page scales it (fullscreen too) keeping 4:3.
struct DemoWindow {
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context;
    int width;
    int height;
};

namespace {
DemoWindow theWindow = {};
void (*closeCallback)() = nullptr;
PresentPacing pacing = PresentPacing::animationFrame;
long presentsSinceYield = 0;
}  // namespace

void setPresentPacing(PresentPacing p) { pacing = p; }

void setCloseCallback(void (*fn)()) { closeCallback = fn; }

void showErrorBox(const char* text) { pageShowError(text); }

DemoWindow* createDemoWindow(int width, int height, int fullscreen) {
    (void)fullscreen;  // the page offers fullscreen itself
    setErrorBox(showErrorBox);
    DemoWindow* w = &theWindow;
    w->width = width;
    w->height = height;
    if (emscripten_set_canvas_element_size("#canvas", width, height) != EMSCRIPTEN_RESULT_SUCCESS) {
        std::fprintf(stderr, "video: the page has no canvas\n");
        reportError("Can't Find A Suitable PixelFormat.");
        return nullptr;
    }
    EmscriptenWebGLContextAttributes attrs;
    emscripten_webgl_init_context_attributes(&attrs);
    // Colour and depth like the desktop window; no multisampling, so edges
    // come out as the desktop draws them.
    attrs.alpha = EM_FALSE;
    attrs.depth = EM_TRUE;
    attrs.stencil = EM_FALSE;
    attrs.antialias = EM_FALSE;
    attrs.premultipliedAlpha = EM_FALSE;
    attrs.preserveDrawingBuffer = EM_FALSE;
    attrs.majorVersion = 1;
    attrs.minorVersion = 0;
    w->context = emscripten_webgl_create_context("#canvas", &attrs);
    if (w->context <= 0) {
        std::fprintf(stderr, "video: the browser offers no WebGL context\n");
        reportError("Can't Create A GL Rendering Context.");
        return nullptr;
    }
    if (emscripten_webgl_make_context_current(w->context) != EMSCRIPTEN_RESULT_SUCCESS) {
        reportError("Can't activate GLRC.");
        return nullptr;
    }
#ifdef DEMO_GL_LAYER
    // Our fixed-function layer draws through the context's WebGL calls.
    if (!glLayerInitWebGl()) {
        reportError("Can't activate GLRC.");
        return nullptr;
    }
#endif
    initGlState(width, height);
    return w;
}

void demoWindowSize(const DemoWindow* window, int* width, int* height) {
    *width = window->width;
    *height = window->height;
}

void presentFrame(DemoWindow*) {
    // The browser shows what was drawn when control goes back to it.
    if (pacing == PresentPacing::animationFrame) {
        pageWaitAnimationFrame();
        return;
    }
    // Faster than real time: no waiting, but the page gets a turn now and then.
    if (++presentsSinceYield >= 30) {
        presentsSinceYield = 0;
        pageYield();
    }
}

void presentDemoWindow() { presentFrame(&theWindow); }

// The canvas stays as it is: the page shows the message that follows.
void releaseDemoWindow(DemoWindow* window) { (void)window; }

void closeDemoWindow(DemoWindow* window) {
    if (window && window->context > 0) emscripten_webgl_destroy_context(window->context);
    if (closeCallback) closeCallback();
    pageDemoEnded(0);
    // A page has no process to end: the program stops here for good and the
    // page shows that it is over.
    pageHalt();
}

void pumpMessages() { pageDrainKeys(); }
