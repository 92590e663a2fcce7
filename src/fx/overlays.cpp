#include "fx/overlays.h"

#include "fx/gentle.h"
#include "glcalls/gl_calls.h"
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
    gl.PushAttrib(GL_TEXTURE_BIT | GL_LIGHTING_BIT | GL_DEPTH_BUFFER_BIT);
    gl.Disable(GL_TEXTURE_2D);
    gl.Disable(GL_LIGHTING);
    gl.Disable(GL_DEPTH_TEST);
    gl.Disable(GL_BLEND);
    gl.Color4f(0.8f, 0.8f, 0.8f, 0.8f);

    gl.MatrixMode(GL_PROJECTION);
    gl.PushMatrix();
    gl.LoadIdentity();
    gl.Perspective(90, 1, 1, 100000);

    bindGlTexture(demo.TextureTable[fadeSlot].glTexture);
    gl.Disable(GL_CULL_FACE);
    gl.Enable(GL_BLEND);
    gl.TexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_BLEND);
    gl.BlendFunc(srcFactor, dstFactor);
    gl.Color4f(grey, grey, grey, alpha);
    gl.DepthMask(GL_FALSE);

    gl.Begin(GL_QUADS);
    gl.Normal3f(0, 0, 0);
    gl.TexCoord2f(0, 0);
    gl.Vertex3f(-1, -1, -1);
    gl.TexCoord2f(1, 0);
    gl.Vertex3f(1, -1, -1);
    gl.TexCoord2f(1, 1);
    gl.Vertex3f(1, 1, -1);
    gl.TexCoord2f(0, 1);
    gl.Vertex3f(-1, 1, -1);
    gl.End();

    gl.Disable(GL_BLEND);
    gl.PopMatrix();
    gl.MatrixMode(GL_MODELVIEW);
    gl.PopAttrib();
}

}  // namespace

void setScreenProjection() {
    gl.MatrixMode(GL_MODELVIEW);
    gl.LoadIdentity();
    gl.MatrixMode(GL_PROJECTION);
    gl.LoadIdentity();
    gl.Perspective(90, 1, 1, 100000);
}

// Adds black (no change of colour) but writes the nearest depth, so that later
// drawing with a less-than test cannot cover the rectangle.
void maskScreenRect(float x0, float y0, float x1, float y1, float z) {
    bindTextureSlot(&demo.TextureTable[maskSlot]);
    gl.DepthMask(GL_TRUE);
    gl.Color4f(0, 0, 0, 1);
    gl.Disable(GL_CULL_FACE);
    gl.Enable(GL_BLEND);
    gl.BlendFunc(GL_SRC_ALPHA, GL_SRC_ALPHA);
    const float corners[4][2] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
    gl.Begin(GL_QUADS);
    for (const float* corner : corners) {
        gl.TexCoord2f(0, 0);
        gl.Vertex3f(corner[0], corner[1], z);
    }
    gl.End();
}

void maskScreenCells(int n) {
    if (n < 0) n = 0;
    if (n > 8) n = 8;
    setScreenProjection();
    for (int i = 1; i < 8; ++i)
        if (n < i) maskScreenRect(cells[i].x0, cells[i].y0, cells[i].x1, cells[i].y1, -1);
    gl.DepthFunc(GL_LESS);
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
