// The four mesh drawing modes. Geometry is already in camera space; each
// triangle is kept or dropped on its corners' z alone and sent whole.
#include "fx/mesh_draw.h"

#include "fx/render_tuning.h"
#include "fx/switches.h"
#include "glcalls/gl_calls.h"
#include "image/texture_table.h"
#include "scene/evaluate.h"
#include "scene/texture_slot.h"
#include "state/demo_state.h"

BatchVertex meshBatch[meshBatchCapacity];

namespace {
// Batches this large are worth handing to the rasterizer at once.
const int largeBatch = 3072;

void sendImmediate(unsigned mode, int count, int withTexCoords, int withColours) {
    gl.Begin(mode);
    for (int i = 0; i < count; ++i) {
        const BatchVertex& v = meshBatch[i];
        if (withTexCoords) gl.TexCoord2fv(v.uv);
        if (withColours) gl.Color3fv(v.rgb);
        gl.Vertex3fv(&v.pos.x);
    }
    gl.End();
}
}  // namespace

void flushMeshBatch(unsigned mode, int count, int withTexCoords, int withColours) {
    if (count <= 0) return;
    if (!renderTuning.meshArrays) {
        sendImmediate(mode, count, withTexCoords, withColours);
        if (count >= largeBatch) flushEarly();
        return;
    }
    const GLsizei stride = sizeof(BatchVertex);
    gl.EnableClientState(GL_VERTEX_ARRAY);
    gl.VertexPointer(3, GL_FLOAT, stride, &meshBatch[0].pos);
    if (withTexCoords) {
        gl.EnableClientState(GL_TEXTURE_COORD_ARRAY);
        gl.TexCoordPointer(2, GL_FLOAT, stride, meshBatch[0].uv);
    }
    if (withColours) {
        gl.EnableClientState(GL_COLOR_ARRAY);
        gl.ColorPointer(3, GL_FLOAT, stride, meshBatch[0].rgb);
    }
    gl.DrawArrays(mode, 0, count);
    gl.DisableClientState(GL_VERTEX_ARRAY);
    if (withTexCoords) gl.DisableClientState(GL_TEXTURE_COORD_ARRAY);
    if (withColours) gl.DisableClientState(GL_COLOR_ARRAY);
    // The current values are undefined after an array draw; later drawing
    // (the wireframe lines) relies on them, so set what glBegin/glEnd left.
    const BatchVertex& last = meshBatch[count - 1];
    if (withTexCoords) gl.TexCoord2fv(last.uv);
    if (withColours) gl.Color3fv(last.rgb);
    if (count >= largeBatch) flushEarly();
}

namespace {

enum CornerLayer { layerBase, layerSecond };

inline bool passesNear(const Vec3* v, const Face& f, float nearZ) {
    return v[f.corners[0].vertexIndex].z < nearZ || v[f.corners[1].vertexIndex].z < nearZ ||
           v[f.corners[2].vertexIndex].z < nearZ;
}

inline bool passesFar(const Vec3* v, const Face& f, float farZ) {
    return v[f.corners[0].vertexIndex].z > farZ || v[f.corners[1].vertexIndex].z > farZ ||
           v[f.corners[2].vertexIndex].z > farZ;
}

// Neither the triangles nor the wireframe change anything but the batch and
// GL: where no GL call reaches the driver, or the frame is played for its
// history only and made no camera-space vertices to send, they have nothing
// to do.
bool nothingToSend() {
    return glCallMode() == GlCallMode::none || !verticesEvaluated();
}

// One GL_TRIANGLES batch over the faces that pass the tests, corners in order.
// redGate keeps only faces whose three corners have red above 0.
void drawTriangles(const SceneObject* object, bool farTest, CornerLayer layer, bool colours,
                   bool redGate) {
    if (nothingToSend()) return;
    const float nearZ = demo.cullNearZ;
    const float farZ = demo.cullFarZ;
    const Vec3* view = object->viewVertices;
    const Face* faces = object->faces;
    int n = 0;
    for (int i = 0; i < object->faceCount; ++i) {
        const Face& face = faces[i];
        if (!passesNear(view, face, nearZ)) continue;
        if (farTest && !passesFar(view, face, farZ)) continue;
        if (redGate && !(face.corners[0].colour[0] > 0.0f && face.corners[1].colour[0] > 0.0f &&
                         face.corners[2].colour[0] > 0.0f))
            continue;
        if (n + 3 > meshBatchCapacity) {
            flushMeshBatch(GL_TRIANGLES, n, 1, colours);
            n = 0;
        }
        for (int c = 0; c < 3; ++c) {
            const FaceCorner& corner = face.corners[c];
            BatchVertex& out = meshBatch[n++];
            const float* uv = layer == layerBase ? corner.uv : corner.uv2;
            out.uv[0] = uv[0];
            out.uv[1] = uv[1];
            if (colours) {
                out.rgb[0] = corner.colour[0];
                out.rgb[1] = corner.colour[1];
                out.rgb[2] = corner.colour[2];
            }
            out.pos = view[corner.vertexIndex];
        }
    }
    flushMeshBatch(GL_TRIANGLES, n, 1, colours);
}

inline Vec3 midpoint(const Vec3& a, const Vec3& b) {
    return Vec3{a.x + (b.x - a.x) * 0.5f, a.y + (b.y - a.y) * 0.5f, a.z + (b.z - a.z) * 0.5f};
}

}  // namespace

void drawMeshTwoLayer(SceneObject* object) {
    const TextureSlot* slot = &demo.TextureTable[object->textureIndex];
    bindTextureSlot(slot);
    gl.Color4f(1, 1, 1, 1);
    drawTriangles(object, true, layerBase, false, false);

    gl.DepthFunc(GL_LEQUAL);
    gl.BindTexture(GL_TEXTURE_2D, slot->glTexture2);
    gl.Enable(GL_BLEND);
    gl.DepthMask(GL_FALSE);
    gl.Disable(GL_CULL_FACE);
    gl.Color4f(1, 1, 1, 1);
    // The second layer is weighted by the baked colours: a corner with no red
    // marks a face that keeps its base layer only. Its colours have alpha 1
    // and its picture none, so the blend is a plain sum.
    blendAdditiveAlphaOne();
    drawTriangles(object, true, layerSecond, true, true);
    blendAdditiveRestore();
    gl.DepthFunc(GL_LESS);
}

void drawMeshLit(SceneObject* object) {
    bindTextureSlot(&demo.TextureTable[object->textureIndex]);
    drawTriangles(object, true, layerBase, true, false);
}

void drawMeshTransparent(SceneObject* object) {
    if (demo.transparentNoFog) gl.Disable(GL_FOG);
    bindTextureSlot(&demo.TextureTable[object->textureIndex]);
    gl.Normal3f(0, 0, 0);
    // Every corner white with alpha 1: the picture is added at full strength.
    gl.Color4f(1, 1, 1, 1);
    blendAdditiveAlphaOne();
    drawTriangles(object, false, layerBase, false, false);
    blendAdditiveRestore();
}

void drawMeshWireframe(SceneObject* object) {
    const float level = demo.TextureTable[object->textureIndex].wireLevel;
    if (level == 0.0f || nothingToSend()) return;
    bindTextureSlot(&demo.TextureTable[wireOverlaySlot]);
    gl.Normal3f(0, 0, 0);
    gl.Color3f(level, level, level);
    blendAdditiveAlphaOne();  // grey lines, alpha 1
    const float nearZ = demo.cullNearZ;
    const Vec3* view = object->viewVertices;
    int n = 0;
    for (int i = 0; i < object->faceCount; ++i) {
        const Face& face = object->faces[i];
        if (!passesNear(view, face, nearZ)) continue;
        if (n + 8 > meshBatchCapacity) {
            flushMeshBatch(GL_LINES, n, 0, 0);
            n = 0;
        }
        const Vec3& a = view[face.corners[0].vertexIndex];
        const Vec3& b = view[face.corners[1].vertexIndex];
        const Vec3& c = view[face.corners[2].vertexIndex];
        const Vec3 mab = midpoint(a, b);
        const Vec3 mbc = midpoint(b, c);
        const Vec3 mac = midpoint(a, c);
        // Lines a-b and c-a, then m_ab-m_bc and m_ac-m_ab: edge b-c is left out.
        meshBatch[n++].pos = a;
        meshBatch[n++].pos = b;
        meshBatch[n++].pos = c;
        meshBatch[n++].pos = a;
        meshBatch[n++].pos = mab;
        meshBatch[n++].pos = mbc;
        meshBatch[n++].pos = mac;
        meshBatch[n++].pos = mab;
    }
    flushMeshBatch(GL_LINES, n, 0, 0);
    blendAdditiveRestore();
}
