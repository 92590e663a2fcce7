#pragma once
// One path to the driver for everything drawn: interleaved vertices in one
// stream buffer, the program for the current state, then one draw call.
#include <GL/gl.h>

namespace gllayer {

struct Vertex {
    float position[3];
    float texCoord[2];
    float colour[4];
};

// A vertex at (x, y, z) with the current colour and texture coordinates.
Vertex currentVertex(float x, float y, float z);

// Draws a GL 1.1 primitive: glEnd and the array draws both end here. Quads,
// quad strips and polygons are converted first (into a buffer that only grows).
void drawPrimitive(GLenum mode, const Vertex* vertices, int count);

// mode is an ES 2 primitive (quads and polygons already turned into triangles).
void drawVertices(GLenum mode, const Vertex* vertices, int count);

// GL 1.1 primitives that ES 2 lacks, as ES 2 ones: quads and quad strips into
// triangles, polygons into fans. Writes to out (room for count * 3 / 2 + 3)
// and returns the number written; *mode becomes the primitive to draw.
int convertPrimitive(GLenum* mode, const Vertex* in, int count, Vertex* out, bool splitBD);

// True when the primitive needs converting.
bool needsConversion(GLenum mode);

// Forgets the stream buffer and the compiled programs (a new context has
// none of them); called by the layer's init.
void resetDrawingResources();

}  // namespace gllayer
