// Mesh frame morphing: a ten-frame cycle interpolated by time, optionally pulled
// toward two other ten-frame sets, written into a target's object-space vertices.
#include "fx/frame_profile.h"
#include "fx/morph.h"

#include <cmath>
#include <cstdio>

#include "platform/report_error.h"
#include "scene/scene.h"
#include "state/demo_state.h"

namespace {

enum : int {
    morphFrameCount = 10,
    baseCyclePlace = 11,
    firstFramePlace = 11,
    lastFramePlace = 15,
};

const char* const framePlaceFiles[] = {"data\\morph1.dat", "data\\morph2.dat",
                                       "data\\morph3.dat", "data\\morph4.dat",
                                       "data\\morph5.dat"};

SceneObject* objectAt(int place, int index) {
    if (!demo.SceneBank) return nullptr;
    Scene* scene = &demo.SceneBank[place];
    if (index < 0 || index >= scene->objectCount || !scene->objects) return nullptr;
    return &scene->objects[index];
}

inline int minCount(int a, int b) {
    return a < b ? a : b;
}

inline float clampWeight(float w) {
    w = std::fabs(w);
    return w > 1.0f ? 1.0f : w;
}

// target = target + (lerp(A0, A1, h) - target) * weight, over the first n vertices.
void blendToward(Vec3* target, const Vec3* a0, const Vec3* a1, int n, float h, float weight) {
    for (int k = 0; k < n; ++k) {
        const float mx = a0[k].x + (a1[k].x - a0[k].x) * h;
        const float my = a0[k].y + (a1[k].y - a0[k].y) * h;
        const float mz = a0[k].z + (a1[k].z - a0[k].z) * h;
        target[k].x += (mx - target[k].x) * weight;
        target[k].y += (my - target[k].y) * weight;
        target[k].z += (mz - target[k].z) * weight;
    }
}

// Blend channel: set chosen by the weight's sign; skipped at weight 0, so the
// sets are not read then. Never reads past either frame's vertices.
void applyChannel(SceneObject* target, int place, int f0, int f1, float h, float weight) {
    if (!(weight > 0.0f)) return;
    const SceneObject* a0 = objectAt(place, f0);
    const SceneObject* a1 = objectAt(place, f1);
    if (!a0 || !a1) return;
    const int n = minCount(target->vertexCount, minCount(a0->vertexCount, a1->vertexCount));
    blendToward(target->baseVertices, a0->baseVertices, a1->baseVertices, n, h, weight);
}

void morphInto(SceneObject* target, float frame, float weightA, float weightB) {
    if (!target) return;
    const int setA = weightA < 0.0f ? 12 : 13;
    const int setB = weightB < 0.0f ? 14 : 15;
    weightA = clampWeight(weightA);
    weightB = clampWeight(weightB);

    // Keep the truncation defined for any frame value.
    if (!(frame > -1.0e9f)) frame = -1.0e9f;
    if (frame > 1.0e9f) frame = 1.0e9f;
    const int i = static_cast<int>(frame);
    float h = frame - static_cast<float>(i);
    if (h < 0.0f) h = 0.0f;
    if (h > 1.0f) h = 1.0f;
    int f0 = i % morphFrameCount;
    int f1 = (f0 + 1) % morphFrameCount;
    // Negative frame numbers fall back to frame 0.
    if (f0 < 0) f0 = 0;
    if (f1 < 0) f1 = 0;

    const SceneObject* b0 = objectAt(baseCyclePlace, f0);
    const SceneObject* b1 = objectAt(baseCyclePlace, f1);
    if (!b0 || !b1) return;
    const int n = minCount(target->vertexCount, minCount(b0->vertexCount, b1->vertexCount));
    Vec3* out = target->baseVertices;
    const Vec3* p0 = b0->baseVertices;
    const Vec3* p1 = b1->baseVertices;
    for (int k = 0; k < n; ++k) {
        out[k].x = p0[k].x + (p1[k].x - p0[k].x) * h;
        out[k].y = p0[k].y + (p1[k].y - p0[k].y) * h;
        out[k].z = p0[k].z + (p1[k].z - p0[k].z) * h;
    }
    applyChannel(target, setA, f0, f1, h, weightA);
    applyChannel(target, setB, f0, f1, h, weightB);
}

int checkTarget(int targetPlace, int targetIndex) {
    char text[256];
    const SceneObject* target = objectAt(targetPlace, targetIndex);
    if (!target) {
        // The scene file whose object is morphed, so the message says which
        // file lacks it.
        const char* file = targetPlace == 10 ? "data\\fisch2.dat"
                           : targetPlace == 20 ? "data\\mirror.dat"
                                               : "the scene";
        const int held = demo.SceneBank ? demo.SceneBank[targetPlace].objectCount : 0;
        std::snprintf(text, sizeof text,
                      "%s: morph target missing: place %d has no object %d (the file holds %d "
                      "object%s)",
                      file, targetPlace, targetIndex, held, held == 1 ? "" : "s");
        reportError(text);
        return 0;
    }
    for (int place = firstFramePlace; place <= lastFramePlace; ++place) {
        const char* file = framePlaceFiles[place - firstFramePlace];
        for (int f = 0; f < morphFrameCount; ++f) {
            const SceneObject* frame = objectAt(place, f);
            if (!frame) {
                std::snprintf(text, sizeof text,
                              "%s: morph frames need 10 objects, place %d has no object %d", file,
                              place, f);
                reportError(text);
                return 0;
            }
            if (frame->vertexCount < target->vertexCount) {
                std::snprintf(text, sizeof text,
                              "%s: morph frame place %d object %d has %d vertices, fewer than "
                              "the %d of its target (place %d object %d)",
                              file, place, f, frame->vertexCount, target->vertexCount,
                              targetPlace, targetIndex);
                reportError(text);
                return 0;
            }
        }
    }
    return 1;
}

}  // namespace

void morphMeshFramesA(float frame, float weightA, float weightB) {
    ComputeSpan span;
    morphInto(objectAt(10, 1), frame, weightA, weightB);
}

void morphMeshFramesB(float frame, float weightA, float weightB) {
    ComputeSpan span;
    morphInto(objectAt(20, 0), frame, weightA, weightB);
}

int checkMorphFrames() {
    return checkTarget(10, 1) && checkTarget(20, 0);
}
