#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/data_path.h"
#include "platform/report_error.h"
#include "scene/file_defect.h"
#include "scene/scene_file.h"

// The writer mirrors the reader: little-endian, no padding, field by field.

namespace {

struct SceneWriter {
    unsigned char* out;  // null while only measuring
    long capacity;
    long pos;
    const char* name;
    bool failed;
};

void fail(SceneWriter* w, const char* format, ...) {
    va_list args;
    va_start(args, format);
    reportFileDefect(w->name, &w->failed, format, args);
    va_end(args);
}

void putU8(SceneWriter* w, unsigned value) {
    if (w->out && w->pos < w->capacity) w->out[w->pos] = static_cast<unsigned char>(value);
    ++w->pos;
}

void putU32(SceneWriter* w, uint32_t value) {
    for (int i = 0; i < 4; ++i) putU8(w, (value >> (8 * i)) & 0xffu);
}

void putI32(SceneWriter* w, int32_t value) { putU32(w, uint32_t(value)); }

void putF32(SceneWriter* w, float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    putU32(w, bits);
}

void putVec3(SceneWriter* w, const Vec3& v) {
    putF32(w, v.x);
    putF32(w, v.y);
    putF32(w, v.z);
}

void putQuat(SceneWriter* w, const Quat& q) {
    putF32(w, q.w);
    putF32(w, q.x);
    putF32(w, q.y);
    putF32(w, q.z);
}

// u8 list or key counts.
bool putCount(SceneWriter* w, int count, const char* what) {
    if (count < 0 || count > 255) {
        fail(w, "%s holds %d entries; the format stores at most 255", what, count);
        return false;
    }
    putU8(w, unsigned(count));
    return true;
}

void putHeader(SceneWriter* w, unsigned char kind, int parentIndex) {
    putU8(w, kind);
    putU8(w, unsigned(parentIndex) & 0xffu);
}

void putValue(SceneWriter* w, float v) { putF32(w, v); }
void putValue(SceneWriter* w, const Vec3& v) { putVec3(w, v); }
void putValue(SceneWriter* w, const Quat& q) { putQuat(w, q); }

// A key track: the count, then per key the incoming control, the time, the
// value and the outgoing control.
template <typename Key, typename Value>
void putKeys(SceneWriter* w, int count, const Key* keys, Value Key::*in, Value Key::*out,
             const char* what) {
    if (!putCount(w, count, what)) return;
    for (int i = 0; i < count; ++i) {
        putValue(w, keys[i].*in);
        putI32(w, keys[i].time);
        putValue(w, keys[i].value);
        putValue(w, keys[i].*out);
    }
}

void putPositionTrack(SceneWriter* w, const PositionTrack& t, const char* what) {
    putKeys(w, t.keyCount, t.keys, &PositionKey::inTangent, &PositionKey::outTangent, what);
}

void putRotationTrack(SceneWriter* w, const RotationTrack& t, const char* what) {
    putKeys(w, t.keyCount, t.keys, &RotationKey::inControl, &RotationKey::outControl, what);
}

void putScalarTrack(SceneWriter* w, const ScalarTrack& t, const char* what) {
    putKeys(w, t.keyCount, t.keys, &ScalarKey::inTangent, &ScalarKey::outTangent, what);
}

void putVisibilityTrack(SceneWriter* w, const VisibilityTrack& t, const char* what) {
    if (!putCount(w, t.keyCount, what)) return;
    for (int i = 0; i < t.keyCount; ++i) putI32(w, t.times[i]);
}

// Colours are stored as bytes: lights as value x 256, spots as they are.
unsigned colourByte(float value) {
    float v = std::round(value);
    if (!(v >= 0.0f)) return 0;
    return v > 255.0f ? 255u : unsigned(v);
}

void putObject(SceneWriter* w, const SceneObject& o, int index, int objectCount, int textureBase) {
    if (o.kind == 1 && (o.parentIndex < 0 || o.parentIndex >= objectCount))
        return fail(w, "object %d hangs below object %d, outside the object list", index,
                    o.parentIndex);
    int material = o.textureIndex - textureBase;
    if (material < 0 || material > 255)
        return fail(w, "object %d texture %d is not within 255 of the texture base %d", index,
                    o.textureIndex, textureBase);
    putHeader(w, o.kind, o.parentIndex);
    putU32(w, 0);  // reserved
    putI32(w, o.vertexCount);
    for (int i = 0; i < o.vertexCount; ++i) putVec3(w, o.baseVertices[i]);
    putI32(w, o.faceCount);
    putU8(w, unsigned(material));
    for (int f = 0; f < o.faceCount; ++f) {
        for (const FaceCorner& c : o.faces[f].corners) {
            if (c.vertexIndex < 0 || c.vertexIndex >= o.vertexCount)
                return fail(w, "object %d face %d uses vertex %d of %d", index, f, c.vertexIndex,
                            o.vertexCount);
            putI32(w, c.vertexIndex);
            putF32(w, c.uv[0]);
            putF32(w, c.uv[1]);
        }
    }
    putPositionTrack(w, o.positionTrack, "an object position track");
    putRotationTrack(w, o.rotationTrack, "an object rotation track");
    putPositionTrack(w, o.scaleTrack, "an object scale track");
    putVisibilityTrack(w, o.visibility, "an object visibility track");
}

void putScene(SceneWriter* w, const Scene* scene, int textureBase) {
    const SceneCamera* camera = scene->camera;
    if (!camera) return fail(w, "the scene has no camera");
    putHeader(w, camera->kind, camera->parentIndex);
    putPositionTrack(w, camera->positionTrack, "the camera position track");
    putScalarTrack(w, camera->rollTrack, "the camera roll track");
    putScalarTrack(w, camera->fovTrack, "the camera fov track");
    putPositionTrack(w, camera->targetTrack, "the camera target track");
    putVisibilityTrack(w, camera->visibility, "the camera visibility track");

    if (!putCount(w, scene->objectCount, "the object list")) return;
    for (int i = 0; i < scene->objectCount && !w->failed; ++i)
        putObject(w, scene->objects[i], i, scene->objectCount, textureBase);

    if (!putCount(w, scene->lightCount, "the light list")) return;
    for (int i = 0; i < scene->lightCount && !w->failed; ++i) {
        const SceneLight& l = scene->lights[i];
        putHeader(w, l.kind, l.parentIndex);
        putU8(w, colourByte(l.red * 256.0f));
        putU8(w, colourByte(l.green * 256.0f));
        putU8(w, colourByte(l.blue * 256.0f));
        putPositionTrack(w, l.positionTrack, "a light position track");
        putVisibilityTrack(w, l.visibility, "a light visibility track");
    }

    if (!putCount(w, scene->spotCount, "the spot list")) return;
    for (int i = 0; i < scene->spotCount && !w->failed; ++i) {
        const SceneSpot& s = scene->spots[i];
        putHeader(w, s.kind, s.parentIndex);
        for (float c : s.colour) putU8(w, colourByte(c));
        putPositionTrack(w, s.positionTrack, "a spot position track");
        putScalarTrack(w, s.valueTrackA, "a spot value track");
        putScalarTrack(w, s.valueTrackB, "a spot value track");
        putPositionTrack(w, s.targetTrack, "a spot target track");
        putVisibilityTrack(w, s.visibility, "a spot visibility track");
    }
}

}  // namespace

long encodeSceneBytes(const Scene* scene, int textureBase, const char* name, unsigned char* out,
                      long capacity) {
    SceneWriter w = {out, out ? capacity : 0, 0, name ? name : "scene", false};
    putScene(&w, scene, textureBase);
    return w.failed ? 0 : w.pos;
}

int saveSceneFile(const char* path, const Scene* scene, int textureBase) {
    long size = encodeSceneBytes(scene, textureBase, path, nullptr, 0);
    if (size <= 0) return 0;
    unsigned char* bytes = static_cast<unsigned char*>(std::malloc(size_t(size)));
    if (!bytes) {
        char text[512];
        std::snprintf(text, sizeof text, "%s: out of memory", path);
        reportError(text);
        return 0;
    }
    encodeSceneBytes(scene, textureBase, path, bytes, size);
    char realPath[PATH_MAX];
    FILE* file = nullptr;
    if (resolveDataPath(path, realPath, sizeof realPath)) file = std::fopen(realPath, "wb");
    bool ok = file && std::fwrite(bytes, 1, size_t(size), file) == size_t(size);
    if (file && std::fclose(file) != 0) ok = false;
    std::free(bytes);
    if (!ok) {
        char text[512];
        std::snprintf(text, sizeof text, "%s: the file cannot be written", path);
        reportError(text);
        return 0;
    }
    return 1;
}
