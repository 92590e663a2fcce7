#include "platform/window.h"

#include <GL/gl.h>
#include <GL/glu.h>

ViewportRect setPerspective(int width, int height) {
    const ViewportRect picture = fitPictureViewport(width, height > 0 ? height : 1);
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
