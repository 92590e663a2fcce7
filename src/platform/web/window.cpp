#include "platform/window.h"

#include <GL/gl.h>
#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstdio>

#include "platform/report_error.h"
#include "platform/web/page_bridge.h"
#include "platform/web/web_present.h"
#include "platform/window_state.h"

#include "gl/gl_layer.h"
#include "gl/gl_restore.h"

// The window is the page's canvas "#canvas" with a WebGL 1 context. It starts
// at 640 x 480; while the demo plays the page sizes the canvas to the pixels
// it is shown with, and the drawable follows (the 4:3 picture fitted inside,
// black bars around it where the shapes differ).
struct NativeWindow {
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context;
};

NativeWindow nativeWindow = {};

namespace {
DemoWindow& theWindow = *demoWindow();
PresentPacing pacing = PresentPacing::animationFrame;
long presentsSinceYield = 0;

// Hands the page the context the program draws with.
EM_JS(void, pageContextMadeJs, (int handle), {
    Module.page.contextMade(GL.getContext(handle).GLctx);
});

// 1 where the page wants multisampled edges: a real GPU, not software WebGL,
// and not the stills (their frames are compared with the desktop's).
EM_JS(int, pageWantsAntialiasJs, (), {
    return Module.page.wantsAntialias() ? 1 : 0;
});

// Says, in the viewer's words, what is missing when there is no WebGL.
EM_JS(void, pageNoWebGlJs, (), {
    Module.page.noWebGl();
});

// 1 once after the page saw the context come back: the texture names are
// given WebGL objects again (empty), so the layer can fill them under the
// names the program holds.
EM_JS(int, pageTakeContextRestoreJs, (), {
    if (!Module.page.takeContextRestore()) return 0;
    for (var i = 0; i < GL.textures.length; ++i) {
        if (!GL.textures[i]) continue;
        var t = GLctx.createTexture();
        t.name = i;
        GL.textures[i] = t;
    }
    return 1;
});

void restoreContextIfBack() {
    if (!pageTakeContextRestoreJs()) return;
    glLayerRestore();
    setPerspective(theWindow.width, theWindow.height);
}

// Follows the canvas size the page chose.
void followCanvasSize() {
    int w = 0, h = 0;
    if (emscripten_get_canvas_element_size("#canvas", &w, &h) != EMSCRIPTEN_RESULT_SUCCESS) return;
    if (w < 1 || h < 1 || (w == theWindow.width && h == theWindow.height)) return;
    theWindow.width = w;
    theWindow.height = h;
    setPerspective(w, h);
}
}  // namespace

void setPresentPacing(PresentPacing p) { pacing = p; }

void showErrorBox(const char* text) { pageShowError(text); }

DemoWindow* createDemoWindow(int width, int height, int fullscreen, const WindowOptions& options) {
    // The page offers fullscreen itself and chooses multisampling; its canvas
    // is the drawable whether shown or not.
    (void)fullscreen;
    (void)options;
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
    // Colour and depth like the desktop window. Software WebGL and the stills
    // draw without multisampling, so edges come out as the desktop draws
    // them; a GPU smooths them at little cost.
    attrs.alpha = EM_FALSE;
    attrs.depth = EM_TRUE;
    attrs.stencil = EM_FALSE;
    attrs.antialias = pageWantsAntialiasJs() ? EM_TRUE : EM_FALSE;
    attrs.premultipliedAlpha = EM_FALSE;
    attrs.preserveDrawingBuffer = EM_FALSE;
    attrs.majorVersion = 1;
    attrs.minorVersion = 0;
    w->native->context = emscripten_webgl_create_context("#canvas", &attrs);
    if (w->native->context <= 0) {
        std::fprintf(stderr, "video: the browser offers no WebGL context\n");
        pageNoWebGlJs();
        reportError("Can't Create A GL Rendering Context.");
        return nullptr;
    }
    if (emscripten_webgl_make_context_current(w->native->context) != EMSCRIPTEN_RESULT_SUCCESS) {
        reportError("Can't activate GLRC.");
        return nullptr;
    }
    // Our fixed-function layer draws through the context's WebGL calls.
    if (!glLayerInitWebGl()) {
        reportError("Can't activate GLRC.");
        return nullptr;
    }
    // A lost context (GPU reset, too many tabs) comes back empty: the
    // layer keeps the pictures to give them back.
    glLayerKeepPictures(1);
    initGlState(width, height);
    pageContextMadeJs(int(w->native->context));
    return w;
}

void resetWindowState() {
    glLayerInitWebGl();
    initGlState(theWindow.width, theWindow.height);
}

void demoWindowSize(const DemoWindow* window, int* width, int* height) {
    *width = window->width;
    *height = window->height;
}

void presentFrame(DemoWindow*) {
    clearPictureBars();
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

// The canvas stays as it is: the page shows the message that follows.
void releaseDemoWindow(DemoWindow* window) { (void)window; }

void endDemoProcess(int code) {
    if (nativeWindow.context > 0) emscripten_webgl_destroy_context(nativeWindow.context);
    pageDemoEnded(code);
    // A page has no process to end: the program stops here for good and the
    // page shows that it is over.
    pageHalt();
}

void pumpWindowEvents(DemoWindow*) {
    pageDrainKeys();
    restoreContextIfBack();
    followCanvasSize();
}
