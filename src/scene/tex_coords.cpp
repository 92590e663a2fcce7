#include "scene/evaluate.h"
#include "scene/texture_slot.h"
#include "state/demo_state.h"

// Environment mapping: the camera-frame normal picks the spot of the picture.
void computeEnvMapCoords(SceneObject* object) {
    const Vec3* normals = object->normals;
    for (int f = 0; f < object->faceCount; ++f) {
        for (FaceCorner& corner : object->faces[f].corners) {
            const Vec3& n = normals[corner.vertexIndex];
            corner.uv[0] = (n.x + 1.0f) * 0.5f;
            corner.uv[1] = (n.y + 1.0f) * 0.5f;
        }
    }
}

void planarScrollTexCoords(SceneObject* object, float time) {
    float s = demo.TextureTable ? demo.TextureTable[object->textureIndex].texScale2 : 0.0f;
    float shift = float(time * 0.005);
    const Vec3* base = object->baseVertices;
    for (int f = 0; f < object->faceCount; ++f) {
        for (FaceCorner& corner : object->faces[f].corners) {
            const Vec3& p = base[corner.vertexIndex];
            corner.uv2[0] = s * p.x - shift;
            corner.uv2[1] = s * p.y - shift;
        }
    }
}
