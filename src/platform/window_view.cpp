// The pieces of window.h every backend shares: the perspective and the GL
// start state, and the 4:3 picture inside the drawable.
#include "platform/window.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdio>

#ifndef GL_SAMPLE_BUFFERS  // GL 1.3; Windows' own header stops at 1.1
#define GL_SAMPLE_BUFFERS 0x80A8
#define GL_SAMPLES 0x80A9
#endif

namespace {
// The drawable and the 4:3 picture inside it, as set by the last size change.
int drawableWidth = 640, drawableHeight = 480;
ViewportRect picture = {0, 0, 640, 480};
}  // namespace

ViewportRect setPerspective(int width, int height) {
    drawableWidth = width;
    drawableHeight = height > 0 ? height : 1;
    picture = fitPictureViewport(drawableWidth, drawableHeight);
    glViewport(picture.x, picture.y, picture.width, picture.height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, double(picture.width) / double(picture.height), 0.1, 10000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    return picture;
}

// The GL state the demo starts from, the same on every backend.
void initGlState(int width, int height) {
    glEnable(GL_TEXTURE_2D);
    glClearColor(0.2f, 0.2f, 0.2f, 0.0f);
    glClearDepth(1.0);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_DEPTH_TEST);
    glShadeModel(GL_SMOOTH);
    setPerspective(width, height);
}

void clearPictureBars() {
    ViewportRect bars[2];
    const int n = pictureBars(drawableWidth, drawableHeight, picture, bars);
    if (n == 0) return;
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    glClearColor(0, 0, 0, 0);
    glEnable(GL_SCISSOR_TEST);
    for (int i = 0; i < n; ++i) {
        glScissor(bars[i].x, bars[i].y, bars[i].width, bars[i].height);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glDisable(GL_SCISSOR_TEST);
    glClearColor(clear[0], clear[1], clear[2], clear[3]);
}

void reportSamples(int asked) {
    GLint buffers = 0, samples = 0;
    glGetIntegerv(GL_SAMPLE_BUFFERS, &buffers);
    glGetIntegerv(GL_SAMPLES, &samples);
    if (buffers < 1) samples = 0;
    if (samples >= asked) return;
    if (samples > 1)
        std::fprintf(stderr, "video: %d samples per pixel are not offered; drawing with %d\n", asked,
                     int(samples));
    else
        std::fprintf(stderr, "video: multisampling is not offered; drawing with one sample per pixel\n");
}
