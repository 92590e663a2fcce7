#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/data_file.h"
#include "platform/data_path.h"
#include "platform/report_error.h"
#include "scene/file_defect.h"
#include "scene/scene_file.h"
#include "state/demo_memory.h"

// The file is a flat little-endian stream without padding. It is parsed field
// by field from memory, so the in-memory records may be laid out as the
// compiler likes, and every size is checked against the bytes left before
// anything is allocated or copied.

namespace {

struct SceneReader {
    const unsigned char* data;
    long size;
    long pos;
    const char* name;
    char where[64];  // the part of the file being read, for messages
    bool failed;
};

void setPlace(SceneReader* r, const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vsnprintf(r->where, sizeof r->where, format, args);
    va_end(args);
}

void fail(SceneReader* r, const char* format, ...) {
    va_list args;
    va_start(args, format);
    reportFileDefect(r->name, &r->failed, format, args);
    va_end(args);
}

// True when `bytes` more bytes are there to read; reports the truncation otherwise.
bool need(SceneReader* r, long long bytes) {
    if (r->failed) return false;
    if (bytes < 0 || bytes > r->size - r->pos) {
        fail(r, "file ends inside %s", r->where);
        return false;
    }
    return true;
}

// Track keys and visibility times stay as loaded; everything else a frame may
// write (state/demo_memory.h).
void* allocate(SceneReader* r, long long count, size_t each,
               DemoMemory where = DemoMemory::changing) {
    if (count <= 0) return nullptr;
    void* p = takeDemoMemory(where, size_t(count), each);
    if (!p) fail(r, "out of memory reading %s", r->where);
    return p;
}

// Callers have checked the bytes with need().
unsigned takeU8(SceneReader* r) { return r->data[r->pos++]; }

uint32_t takeU32(SceneReader* r) {
    const unsigned char* p = r->data + r->pos;
    r->pos += 4;
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

int32_t takeI32(SceneReader* r) { return int32_t(takeU32(r)); }

float takeF32(SceneReader* r) {
    uint32_t bits = takeU32(r);
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}

// A braced list is evaluated left to right: the fields in file order.
Vec3 takeVec3(SceneReader* r) { return Vec3{takeF32(r), takeF32(r), takeF32(r)}; }

Quat takeQuat(SceneReader* r) { return Quat{takeF32(r), takeF32(r), takeF32(r), takeF32(r)}; }

// u8 count, then that many records of recordBytes each; returns the count or -1.
int blockCount(SceneReader* r, long recordBytes) {
    if (!need(r, 1)) return -1;
    int n = int(takeU8(r));
    if (!need(r, (long long)n * recordBytes)) return -1;
    return n;
}

void takeValue(SceneReader* r, float* v) { *v = takeF32(r); }
void takeValue(SceneReader* r, Vec3* v) { *v = takeVec3(r); }
void takeValue(SceneReader* r, Quat* q) { *q = takeQuat(r); }

// A key track: the count, then per key (a record of the key's own size) the
// incoming control, the time, the value and the outgoing control.
template <typename Track, typename Key, typename Value>
bool readKeys(SceneReader* r, Track* track, Value Key::*in, Value Key::*out) {
    int n = blockCount(r, long(sizeof(Key)));
    if (n < 0) return false;
    track->keys = static_cast<Key*>(allocate(r, n, sizeof(Key), DemoMemory::fixed));
    if (r->failed) return false;
    for (int i = 0; i < n; ++i) {
        Key* k = &track->keys[i];
        takeValue(r, &(k->*in));
        k->time = takeI32(r);
        takeValue(r, &k->value);
        takeValue(r, &(k->*out));
    }
    track->keyCount = n;
    track->cursor = 0;
    return true;
}

bool readPositionTrack(SceneReader* r, PositionTrack* track) {
    return readKeys(r, track, &PositionKey::inTangent, &PositionKey::outTangent);
}

bool readRotationTrack(SceneReader* r, RotationTrack* track) {
    return readKeys(r, track, &RotationKey::inControl, &RotationKey::outControl);
}

bool readScalarTrack(SceneReader* r, ScalarTrack* track) {
    return readKeys(r, track, &ScalarKey::inTangent, &ScalarKey::outTangent);
}

bool readVisibilityTrack(SceneReader* r, VisibilityTrack* track) {
    int n = blockCount(r, 4);
    if (n < 0) return false;
    track->times = static_cast<int32_t*>(allocate(r, n, sizeof(int32_t), DemoMemory::fixed));
    if (r->failed) return false;
    for (int i = 0; i < n; ++i) track->times[i] = takeI32(r);
    track->keyCount = n;
    track->cursor = 0;
    track->hidden = 0;
    return true;
}

bool readTrack(SceneReader* r, PositionTrack* track) { return readPositionTrack(r, track); }
bool readTrack(SceneReader* r, RotationTrack* track) { return readRotationTrack(r, track); }
bool readTrack(SceneReader* r, ScalarTrack* track) { return readScalarTrack(r, track); }
bool readTrack(SceneReader* r, VisibilityTrack* track) { return readVisibilityTrack(r, track); }

// A track of the record `node` ("the camera", "object 3"), named in messages
// as "<node> <name>".
template <typename Track>
bool readNamedTrack(SceneReader* r, const char* node, const char* name, Track* track) {
    setPlace(r, "%s %s", node, name);
    return readTrack(r, track);
}

// "object 3", "light 0": a record of a list as the messages name it.
struct NodeName {
    char text[24];
};

NodeName nodeName(const char* list, int index) {
    NodeName name;
    std::snprintf(name.text, sizeof name.text, "%s %d", list, index);
    return name;
}

// kind and parentIndex, the two bytes every record starts with.
bool readNodeHeader(SceneReader* r, const char* node, unsigned char* kind, int* parentIndex) {
    setPlace(r, "%s header", node);
    if (!need(r, 2)) return false;
    *kind = static_cast<unsigned char>(takeU8(r));
    *parentIndex = int(takeU8(r));
    return true;
}

bool readSceneCamera(SceneReader* r, SceneCamera* camera) {
    const char* node = "the camera";
    return readNodeHeader(r, node, &camera->kind, &camera->parentIndex) &&
           readNamedTrack(r, node, "position track", &camera->positionTrack) &&
           readNamedTrack(r, node, "roll track", &camera->rollTrack) &&
           readNamedTrack(r, node, "fov track", &camera->fovTrack) &&
           readNamedTrack(r, node, "target track", &camera->targetTrack) &&
           readNamedTrack(r, node, "visibility track", &camera->visibility);
}

bool readObjectFaces(SceneReader* r, SceneObject* object, int index) {
    for (int f = 0; f < object->faceCount; ++f) {
        for (int c = 0; c < 3; ++c) {
            FaceCorner* corner = &object->faces[f].corners[c];
            corner->vertexIndex = takeI32(r);
            corner->uv[0] = takeF32(r);
            corner->uv[1] = takeF32(r);
            corner->colour[0] = corner->colour[1] = corner->colour[2] = 1.0f;
            if (corner->vertexIndex < 0 || corner->vertexIndex >= object->vertexCount) {
                fail(r, "object %d face %d uses vertex %d, but the object has %d vertices", index,
                     f, corner->vertexIndex, object->vertexCount);
                return false;
            }
        }
    }
    return true;
}

bool readSceneObject(SceneReader* r, SceneObject* object, int index, int objectCount,
                     int textureBase) {
    const NodeName node = nodeName("object", index);
    if (!readNodeHeader(r, node.text, &object->kind, &object->parentIndex)) return false;
    if (object->kind == 1 && object->parentIndex >= objectCount) {
        fail(r, "object %d hangs below object %d, but the file has %d objects", index,
             object->parentIndex, objectCount);
        return false;
    }
    if (!need(r, 8)) return false;
    takeU32(r);  // reserved word
    int vertexCount = takeI32(r);
    if (vertexCount < 0) {
        fail(r, "object %d has a negative vertex count (%d)", index, vertexCount);
        return false;
    }
    setPlace(r, "object %d vertices", index);
    if (!need(r, 12LL * vertexCount)) return false;
    object->baseVertices = static_cast<Vec3*>(allocate(r, vertexCount, sizeof(Vec3)));
    object->viewVertices = static_cast<Vec3*>(allocate(r, vertexCount, sizeof(Vec3)));
    object->normals = static_cast<Vec3*>(allocate(r, vertexCount, sizeof(Vec3)));
    object->normalScale = static_cast<float*>(allocate(r, vertexCount, sizeof(float)));
    if (r->failed) return false;
    object->vertexCount = vertexCount;
    for (int i = 0; i < vertexCount; ++i) object->baseVertices[i] = takeVec3(r);

    setPlace(r, "object %d face count", index);
    if (!need(r, 4)) return false;
    int faceCount = takeI32(r);
    if (faceCount < 0) {
        fail(r, "object %d has a negative face count (%d)", index, faceCount);
        return false;
    }
    setPlace(r, "object %d material", index);
    if (!need(r, 1)) return false;
    int material = int(takeU8(r));
    object->textureIndex = material + textureBase;
    if (object->textureIndex < 0 || object->textureIndex >= textureTableSize) {
        fail(r, "object %d material %d with texture base %d is outside the texture table", index,
             material, textureBase);
        return false;
    }
    setPlace(r, "object %d faces", index);
    if (!need(r, 36LL * faceCount)) return false;
    object->faces = static_cast<Face*>(allocate(r, faceCount, sizeof(Face)));
    if (r->failed) return false;
    object->faceCount = faceCount;
    if (!readObjectFaces(r, object, index)) return false;

    return readNamedTrack(r, node.text, "position track", &object->positionTrack) &&
           readNamedTrack(r, node.text, "rotation track", &object->rotationTrack) &&
           readNamedTrack(r, node.text, "scale track", &object->scaleTrack) &&
           readNamedTrack(r, node.text, "visibility track", &object->visibility);
}

bool readSceneLight(SceneReader* r, SceneLight* light, int index) {
    const NodeName node = nodeName("light", index);
    if (!readNodeHeader(r, node.text, &light->kind, &light->parentIndex)) return false;
    if (!need(r, 3)) return false;
    light->red = float(takeU8(r)) * 0.00390625f;
    light->green = float(takeU8(r)) * 0.00390625f;
    light->blue = float(takeU8(r)) * 0.00390625f;
    light->worldPosition = Vec3{0.0f, 0.0f, 0.0f};
    return readNamedTrack(r, node.text, "position track", &light->positionTrack) &&
           readNamedTrack(r, node.text, "visibility track", &light->visibility);
}

bool readSceneSpot(SceneReader* r, SceneSpot* spot, int index) {
    const NodeName node = nodeName("spot", index);
    if (!readNodeHeader(r, node.text, &spot->kind, &spot->parentIndex)) return false;
    if (!need(r, 3)) return false;
    for (int i = 0; i < 3; ++i) spot->colour[i] = float(takeU8(r));
    return readNamedTrack(r, node.text, "position track", &spot->positionTrack) &&
           readNamedTrack(r, node.text, "value track A", &spot->valueTrackA) &&
           readNamedTrack(r, node.text, "value track B", &spot->valueTrackB) &&
           readNamedTrack(r, node.text, "target track", &spot->targetTrack) &&
           readNamedTrack(r, node.text, "visibility track", &spot->visibility);
}

// A list section: the u8 record count, then the records, each read by
// readOne(record, index) once the list and its count are in place.
template <typename Record, typename ReadOne>
bool readList(SceneReader* r, const char* what, Record** records, int* count, ReadOne readOne) {
    setPlace(r, "the %s count", what);
    if (!need(r, 1)) return false;
    const int n = int(takeU8(r));
    setPlace(r, "the %s list", what);
    *records = static_cast<Record*>(allocate(r, n, sizeof(Record)));
    if (r->failed) return false;
    *count = n;
    for (int i = 0; i < n; ++i)
        if (!readOne(&(*records)[i], i)) return false;
    return true;
}

bool readSceneBody(SceneReader* r, Scene* scene, int textureBase) {
    scene->camera = takeDemoArray<SceneCamera>(DemoMemory::changing, 1);
    if (!scene->camera) {
        fail(r, "out of memory reading the camera");
        return false;
    }
    if (!readSceneCamera(r, scene->camera)) return false;

    return readList(r, "object", &scene->objects, &scene->objectCount,
                    [&](SceneObject* object, int i) {
                        return readSceneObject(r, object, i, scene->objectCount, textureBase);
                    }) &&
           readList(r, "light", &scene->lights, &scene->lightCount,
                    [&](SceneLight* light, int i) { return readSceneLight(r, light, i); }) &&
           readList(r, "spot", &scene->spots, &scene->spotCount,
                    [&](SceneSpot* spot, int i) { return readSceneSpot(r, spot, i); });
}

// What the scene set-ups rely on after a load, successful or not.
void resetSceneCounts(Scene* scene) {
    clearSceneTables(scene);
    scene->fogDensity = 0.0f;
    for (float& c : scene->fogColour) c = 0.0f;
}

}  // namespace

int loadSceneBytes(const unsigned char* data, long size, const char* name, Scene* scene,
                   int textureBase) {
    resetSceneCounts(scene);
    SceneReader reader = {data, data ? size : 0, 0, name ? name : "scene", {0}, false};
    if (!readSceneBody(&reader, scene, textureBase)) {
        releaseSceneContents(scene);
        resetSceneCounts(scene);
        return 0;
    }
    // Trailing bytes after the last spot are ignored.
    for (int i = 0; i < scene->objectCount; ++i) computeBaseNormals(&scene->objects[i]);
    return 1;
}

int loadSceneFile(const char* path, Scene* scene, int textureBase) {
    resetSceneCounts(scene);
    char realPath[PATH_MAX];
    const bool resolved = path && resolveDataPath(path, realPath, sizeof realPath);
    // The whole file is read first; parsing then works on memory only. Only
    // a regular file is read, and only up to a size no real scene comes near.
    unsigned char* data = nullptr;
    long long size = 0;
    const char* kind = nullptr;
    const DataFileStatus status =
        resolved ? readRegularFile(realPath, maxSceneFileBytes, &data, &size, &kind)
                 : dataFileMissing;
    if (status == dataFileMissing) {
        // The file is not there: which one and where it was looked for, then
        // the loader's own message. A file that is there but refused (no
        // permission, a link loop) is no missing file: its reason is the
        // message.
        printDataFileProblem(path, resolved ? realPath : nullptr, status);
        reportError("mesh-file not found");
        return 0;
    }
    if (status != dataFileOk) {
        char text[3 * PATH_MAX + 256];
        describeDataFileProblem(text, sizeof text, path, realPath, status, kind, size,
                                maxSceneFileBytes);
        reportError(text);
        return 0;
    }
    int result = loadSceneBytes(data, long(size), path, scene, textureBase);
    std::free(data);
    return result;
}
