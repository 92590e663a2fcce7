#pragma once
// A small fixed-function OpenGL 1.1 pipeline over OpenGL ES 2 / WebGL 1.
//
// A program linked with the demo_gl library gets the GL 1.1 entry points it
// calls (glBegin, glVertex3f, glTexEnvf, gluPerspective ...) from here, with
// their standard names and C linkage; they keep the fixed-function state and
// draw through generated shaders on an ES 2 context. Call one of the init
// functions once the context is current, before the first GL call.

#include "gl/gles_functions.h"

// Fetches the ES 2 functions through a loader (SDL_GL_GetProcAddress,
// eglGetProcAddress). 1 on success; 0 after naming what is missing on stderr.
int glLayerInit(GlesProcLoader load);

// The same with a table the caller filled; it must outlive the layer.
int glLayerInitWith(const GlesFunctions* functions);

// Browser build only: the table of Emscripten's WebGL functions.
int glLayerInitWebGl();

// Figures for benchmarks: what reached the ES 2 driver since the start.
struct GlLayerStats {
    long draws;            // driver draw calls
    long vertices;         // vertices sent
    long programSwitches;  // glUseProgram calls
    long uniformUploads;   // uniform calls
    long programsBuilt;    // shader variants compiled
};
const GlLayerStats* glLayerStats();

// Which diagonal a GL_QUADS quad a, b, c, d is cut along. The default, a-c
// (triangles a b c and a c d, in the order GL lists the vertices), is what the
// desktop drivers do; the other one is there for tests.
enum GlQuadSplit { quadSplitAC = 0, quadSplitBD = 1 };
void glLayerSetQuadSplit(GlQuadSplit split);
