#include "fx/overlays.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "fx/gentle.h"
#include "image/texture_table.h"
#include "scene/texture_slot.h"
#include "state/demo_state.h"
#include "state/gentle_mode.h"

namespace {

const int maskSlot = 98;  // black picture, opacity 1
const int fadeSlot = 22;  // black picture

struct Cell {
    float x0, y0, x1, y1;
};

// Two rows of four; cell 0 (bottom left) is always open.
const Cell cells[8] = {
    {-1, -1, -0.5f, 0}, {-0.5f, -1, 0, 0}, {0, -1, 0.5f, 0}, {0.5f, -1, 1, 0},
    {-1, 0, -0.5f, 1},  {-0.5f, 0, 0, 1},  {0, 0, 0.5f, 1},  {0.5f, 0, 1, 1},
};

// A quad over the whole screen, untextured as texturing is off, in the given
// blend. Shared by the fade and the flash.
void coverScreen(GLenum srcFactor, GLenum dstFactor, float grey, float alpha) {
    glPushAttrib(GL_TEXTURE_BIT | GL_LIGHTING_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glColor4f(0.8f, 0.8f, 0.8f, 0.8f);

    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluPerspective(90, 1, 1, 100000);

    bindGlTexture(demo.TextureTable[fadeSlot].glTexture);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_BLEND);
    glBlendFunc(srcFactor, dstFactor);
    glColor4f(grey, grey, grey, alpha);
    glDepthMask(GL_FALSE);

    glBegin(GL_QUADS);
    glNormal3f(0, 0, 0);
    glTexCoord2f(0, 0);
    glVertex3f(-1, -1, -1);
    glTexCoord2f(1, 0);
    glVertex3f(1, -1, -1);
    glTexCoord2f(1, 1);
    glVertex3f(1, 1, -1);
    glTexCoord2f(0, 1);
    glVertex3f(-1, 1, -1);
    glEnd();

    glDisable(GL_BLEND);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
}

}  // namespace

void setScreenProjection() {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(90, 1, 1, 100000);
}

// Adds black (no change of colour) but writes the nearest depth, so that later
// drawing with a less-than test cannot cover the rectangle.
void maskScreenRect(float x0, float y0, float x1, float y1, float z) {
    bindTextureSlot(&demo.TextureTable[maskSlot]);
    glDepthMask(GL_TRUE);
    glColor4f(0, 0, 0, 1);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_SRC_ALPHA);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex3f(x0, y0, z);
    glTexCoord2f(0, 0);
    glVertex3f(x1, y0, z);
    glTexCoord2f(0, 0);
    glVertex3f(x1, y1, z);
    glTexCoord2f(0, 0);
    glVertex3f(x0, y1, z);
    glEnd();
}

void maskScreenCells(int n) {
    if (n < 0) n = 0;
    if (n > 8) n = 8;
    setScreenProjection();
    for (int i = 1; i < 8; ++i)
        if (n < i) maskScreenRect(cells[i].x0, cells[i].y0, cells[i].x1, cells[i].y1, -1);
    glDepthFunc(GL_LESS);
}

// frame x level
void fadeScreen(float level) {
    if (!(level < 1)) return;  // also a level that is not a number
    if (level < 0) level = 0;
    coverScreen(GL_ZERO, GL_SRC_COLOR, level, level);
}

// frame + level, clamped by the frame buffer
void flashScreen(float level) {
    if (!(level > 0)) return;
    if (level > 1) level = 1;
    if (gentleMode.on) level = gentleFlashLevel(level);
    coverScreen(GL_SRC_ALPHA, GL_SRC_ALPHA, level, 1);
}
