#include "fx/grid_layer.h"

#include "fx/overlays.h"
#include "fx/render_tuning.h"
#include "glcalls/gl_calls.h"
#include "image/texture_table.h"
#include "scene/evaluate.h"
#include "scene/texture_slot.h"
#include "state/demo_memory.h"
#include "state/demo_state.h"

void buildGridLayer(GridLayer* layer, float x0, float y0, float x1, float y1, float z,
                    float texU0, float texV0, float texU1, float texV1, int columns, int rows,
                    int textureSlot, GridVertexMover moveVertex) {
    if (columns < 1) columns = 1;
    if (rows < 1) rows = 1;
    layer->columns = columns;
    layer->rows = rows;
    layer->textureSlot = textureSlot;
    layer->moveVertex = moveVertex;
    layer->vertices =
        takeDemoArray<GridVertex>(DemoMemory::changing, size_t(columns) * size_t(rows));
    layer->vertexCount = layer->vertices ? columns * rows : 0;
    if (!layer->vertices) return;

    for (int i = 0; i < rows; ++i) {
        // A single row or column sits at the rectangle's first edge.
        float fv = rows > 1 ? float(i) / float(rows - 1) : 0;
        for (int j = 0; j < columns; ++j) {
            float fu = columns > 1 ? float(j) / float(columns - 1) : 0;
            GridVertex* v = &layer->vertices[i * columns + j];
            v->base = Vec3{x0 + (x1 - x0) * fu, y0 + (y1 - y0) * fv, z};
            v->u = texU0 + (texU1 - texU0) * fu;
            v->v = texV0 + (texV1 - texV0) * fv;
        }
    }
}

namespace {

enum class Placement { scaled, offset };

void emitCorner(const GridVertex& v, Placement placement, float a, float b, float c) {
    gl.TexCoord2f(v.u, v.v);
    if (placement == Placement::scaled)
        gl.Vertex3f(a * v.pos.x, b * v.pos.y, c * v.pos.z);
    else
        gl.Vertex3f(a + v.pos.x, b + v.pos.y, c + v.pos.z);
}

void emitGrid(GridLayer* layer, float a, float b, float c, float time, Placement placement) {
    if (layer->moveVertex)
        for (int k = 0; k < layer->vertexCount; ++k) layer->moveVertex(&layer->vertices[k], time);
    const int columns = layer->columns;
    for (int i = 0; i + 1 < layer->rows; ++i) {
        for (int j = 0; j + 1 < columns; ++j) {
            const GridVertex* row = layer->vertices + i * columns;
            const GridVertex* next = row + columns;
            emitCorner(row[j], placement, a, b, c);
            emitCorner(row[j + 1], placement, a, b, c);
            emitCorner(next[j + 1], placement, a, b, c);
            emitCorner(next[j], placement, a, b, c);
        }
    }
}

// The last corner emitGrid sends: the lower left one of the last quad.
void leaveLastCorner(const GridLayer& layer) {
    if (layer.rows < 2 || layer.columns < 2) return;
    const GridVertex& v = layer.vertices[(layer.rows - 1) * layer.columns + layer.columns - 2];
    gl.TexCoord2f(v.u, v.v);
}

void drawGrid(GridLayer* layer, float brightness, float a, float b, float c, float time,
              Placement placement, bool multiply) {
    if (brightness == 0 || !layer || !layer->vertices) return;
    setScreenProjection();

    unsigned name = 0;
    if (demo.TextureTable && layer->textureSlot >= 0 && layer->textureSlot < textureTableSize)
        name = demo.TextureTable[layer->textureSlot].glTexture;
    bindGlTexture(name);
    gl.Disable(GL_CULL_FACE);
    gl.Enable(GL_BLEND);
    gl.TexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    if (multiply) {
        gl.BlendFunc(GL_ZERO, GL_SRC_COLOR);
        gl.Color4f(brightness, brightness, brightness, brightness);
    } else {
        blendAdditiveAlphaOne();  // RGB picture, colour alpha 1
        gl.Color4f(brightness, brightness, brightness, 1);
    }
    gl.DepthMask(GL_FALSE);

    gl.Begin(GL_QUADS);
    gl.Normal3f(0, 0, 0);
    // Played for its history only, a frame sends only the texture coordinate
    // the last corner leaves current: the movers place every vertex afresh
    // from its rest position each frame drawn.
    if (verticesEvaluated())
        emitGrid(layer, a, b, c, time, placement);
    else
        leaveLastCorner(*layer);
    gl.End();
    gl.Disable(GL_BLEND);
    if (!multiply) blendAdditiveRestore();
    if (multiply) gl.TexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

}  // namespace

void drawGridScaled(GridLayer* layer, float brightness, float a, float b, float c, float time) {
    drawGrid(layer, brightness, a, b, c, time, Placement::scaled, false);
}

void drawGridOffset(GridLayer* layer, float brightness, float a, float b, float c, float time) {
    drawGrid(layer, brightness, a, b, c, time, Placement::offset, false);
}

void drawGridScaledMultiply(GridLayer* layer, float brightness, float a, float b, float c,
                            float time) {
    drawGrid(layer, brightness, a, b, c, time, Placement::scaled, true);
}

void drawGridOffsetMultiply(GridLayer* layer, float brightness, float a, float b, float c,
                            float time) {
    drawGrid(layer, brightness, a, b, c, time, Placement::offset, true);
}
