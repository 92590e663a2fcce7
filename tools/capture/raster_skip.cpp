#include "raster_skip.h"

#include <GL/gl.h>

#ifndef GL_RASTERIZER_DISCARD
#define GL_RASTERIZER_DISCARD 0x8C89
#endif

void rasterizeFrames(bool on) {
    if (on)
        glDisable(GL_RASTERIZER_DISCARD);
    else
        glEnable(GL_RASTERIZER_DISCARD);
}
