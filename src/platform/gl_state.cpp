#include "platform/window.h"

#include <GL/gl.h>

// The GL state the demo starts from, the same on every backend; the
// projection is the backend's (it knows the drawable).
void initGlState(int width, int height) {
    glEnable(GL_TEXTURE_2D);
    glClearColor(0.2f, 0.2f, 0.2f, 0.0f);
    glClearDepth(1.0);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_DEPTH_TEST);
    glShadeModel(GL_SMOOTH);
    setPerspective(width, height);
}
