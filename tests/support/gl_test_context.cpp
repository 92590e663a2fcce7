#include "support/gl_test_context.h"

#include <GL/gl.h>
#include <SDL2/SDL.h>

#include <cstdio>
#include <cstdlib>

namespace testgl {
namespace {
SDL_Window* window = nullptr;
SDL_GLContext context = nullptr;
bool tried = false;
}  // namespace

SDL_Window* openGlWindow(const char* title, int width, int height, int colourBits, bool es) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "%s: video: %s\n", title, SDL_GetError());
        return nullptr;
    }
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, colourBits);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, colourBits);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, colourBits);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    if (es) {
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
    }
    SDL_Window* made = SDL_CreateWindow(title, 0, 0, width, height,
                                        SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!made) {
        std::fprintf(stderr, "%s: window: %s\n", title, SDL_GetError());
        return nullptr;
    }
    SDL_GLContext madeContext = SDL_GL_CreateContext(made);
    if (!madeContext || SDL_GL_MakeCurrent(made, madeContext) != 0) {
        std::fprintf(stderr, "%s: context: %s\n", title, SDL_GetError());
        return nullptr;
    }
    return made;
}

bool ensureContext() {
    if (tried) {
        if (context) SDL_GL_MakeCurrent(window, context);
        return context != nullptr;
    }
    tried = true;
    // 8 bits a channel: the pixel tests compare levels to within 2.
    window = openGlWindow("test GL", 640, 480, 8, false);
    if (!window) return false;
    context = SDL_GL_GetCurrentContext();
    glViewport(0, 0, 640, 480);
    return true;
}

void clearFrame(float r, float g, float b) {
    glViewport(0, 0, 640, 480);
    glDisable(GL_BLEND);
    glDisable(GL_FOG);
    glDisable(GL_CULL_FACE);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDepthMask(GL_TRUE);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glColor4f(1, 1, 1, 1);
    glClearColor(r, g, b, 0);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

Rgb readPixel(int x, int y) {
    glFinish();
    unsigned char p[4] = {0, 0, 0, 0};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return Rgb{p[0], p[1], p[2]};
}

unsigned solidTexture(unsigned char r, unsigned char g, unsigned char b) {
    unsigned char texels[4 * 4 * 3];
    for (int i = 0; i < 16; ++i) {
        texels[i * 3] = r;
        texels[i * 3 + 1] = g;
        texels[i * 3 + 2] = b;
    }
    return rgbTexture(texels, 4, 4, GL_NEAREST);
}

unsigned rgbTexture(const unsigned char* texels, int width, int height, int filter) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, texels);
    return name;
}

}  // namespace testgl
