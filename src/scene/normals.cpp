#include <cmath>
#include <initializer_list>

#include "scene/evaluate.h"
#include "scene/scene_file.h"

namespace {

// Sum of the unnormalised face normals around each vertex, so larger faces
// weigh more. y and z are negated to match the camera frame's axes.
void accumulateFaceNormals(SceneObject* object, const Vec3* vertices) {
    Vec3* normals = object->normals;
    for (int i = 0; i < object->vertexCount; ++i) normals[i] = Vec3{0.0f, 0.0f, 0.0f};
    for (int f = 0; f < object->faceCount; ++f) {
        const FaceCorner* corners = object->faces[f].corners;
        int i0 = corners[0].vertexIndex;
        int i1 = corners[1].vertexIndex;
        int i2 = corners[2].vertexIndex;
        const Vec3& v0 = vertices[i0];
        const Vec3& v1 = vertices[i1];
        const Vec3& v2 = vertices[i2];
        Vec3 e1 = {v1.x - v0.x, v1.y - v0.y, v1.z - v0.z};
        Vec3 e2 = {v2.x - v0.x, v2.y - v0.y, v2.z - v0.z};
        Vec3 n = {e1.y * e2.z - e1.z * e2.y, -(e1.z * e2.x - e1.x * e2.z),
                  -(e1.x * e2.y - e1.y * e2.x)};
        for (int i : {i0, i1, i2}) {
            normals[i].x += n.x;
            normals[i].y += n.y;
            normals[i].z += n.z;
        }
    }
}

}  // namespace

void computeBaseNormals(SceneObject* object) {
    accumulateFaceNormals(object, object->baseVertices);
    for (int i = 0; i < object->vertexCount; ++i) normalizeVec3(&object->normals[i]);
}

bool normalLengthsPending(const SceneObject* object) {
    for (int i = 0; i < object->vertexCount; ++i)
        if (object->normalScale[i] == 0.0f) return true;
    return false;
}

// The inverse length is taken once per vertex and reused afterwards: one
// square root per vertex for the whole run. A vertex without a usable normal
// yet (only degenerate faces) keeps scale 0 and a zero normal, and tries again
// at the next call.
void computeVertexNormals(SceneObject* object) {
    accumulateFaceNormals(object, object->viewVertices);
    Vec3* normals = object->normals;
    float* scale = object->normalScale;
    for (int i = 0; i < object->vertexCount; ++i) {
        Vec3* n = &normals[i];
        if (scale[i] == 0.0f) {
            float length = std::sqrt(n->x * n->x + n->y * n->y + n->z * n->z);
            if (length > 0.0f && std::isfinite(length)) scale[i] = 1.0f / length;
        }
        n->x *= scale[i];
        n->y *= scale[i];
        n->z *= scale[i];
    }
}
