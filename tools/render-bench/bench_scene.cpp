#include "bench_scene.h"

#include <GL/gl.h>

#include <cmath>
#include <vector>

#include "fx/bake.h"
#include "fx/deformers.h"
#include "fx/particle_kinds.h"
#include "fx/particles.h"
#include "image/texture_table.h"
#include "scene/scene_builder.h"
#include "scene/texture_slot.h"
#include "state/demo_state.h"
#include "state/demo_memory.h"

namespace {

Vec3* cloudPaths[2] = {nullptr, nullptr};

unsigned makeTexture(bool blob) {
    const int size = 64;
    std::vector<unsigned char> texels(size * size * 3);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            unsigned char* t = &texels[size_t(y * size + x) * 3];
            if (blob) {
                // A soft round spot, as the demo's particle pictures are.
                const float dx = float(x) - 31.5f, dy = float(y) - 31.5f;
                const float d = std::sqrt(dx * dx + dy * dy) / 32.0f;
                const float v = d < 1.0f ? (1.0f - d) * (1.0f - d) : 0.0f;
                t[0] = (unsigned char)(255 * v);
                t[1] = (unsigned char)(120 * v);
                t[2] = (unsigned char)(90 * v);
            } else {
                const bool check = ((x / 8) ^ (y / 8)) & 1;
                t[0] = check ? 200 : 120;
                t[1] = check ? 60 : 30;
                t[2] = check ? 60 : 40;
            }
        }
    // Uploaded as the demo uploads its pictures.
    TextureSlot slot = {};
    GLuint name = 0;
    glGenTextures(1, &name);
    slot.glTexture = name;
    const Image image = {size, size, texels.data()};
    uploadImageToTexture(&slot, &image);
    return name;
}

// A bumpy tube along +y, seen from inside.
void addTube(Scene* scene) {
    std::vector<Vec3> vertices;
    for (int r = 0; r < benchTubeRings; ++r)
        for (int s = 0; s < benchTubeSegments; ++s) {
            const float a = 6.2831853f * float(s) / benchTubeSegments;
            const float radius = 215.0f + 20.0f * std::sin(float(r) * 0.7f) * std::cos(a * 3.0f);
            vertices.push_back(
                Vec3{radius * std::cos(a), float(r) * 40.0f - 200.0f, radius * std::sin(a)});
        }
    std::vector<scenebuild::Triangle> triangles;
    for (int r = 0; r + 1 < benchTubeRings; ++r)
        for (int s = 0; s < benchTubeSegments; ++s) {
            const int next = (s + 1) % benchTubeSegments;
            const int a = r * benchTubeSegments + s, b = r * benchTubeSegments + next;
            const int c = a + benchTubeSegments, d = b + benchTubeSegments;
            triangles.push_back({a, b, d});
            triangles.push_back({a, d, c});
        }
    scenebuild::addObject(scene, vertices, triangles, benchTubeSlot);
    SceneObject* tube = &scene->objects[0];
    for (int f = 0; f < tube->faceCount; ++f)
        for (FaceCorner& corner : tube->faces[f].corners) {
            const int v = corner.vertexIndex;
            corner.uv[0] = float(v % benchTubeSegments) * 4.0f / benchTubeSegments;
            corner.uv[1] = float(v / benchTubeSegments) * 8.0f / benchTubeRings;
        }
}

// A winding path through the tube, sampled the way the set-ups sample a
// light's track.
Vec3* makeCloudPath(float phase) {
    PositionTrack track = scenebuild::positionTrack(
        {scenebuild::positionKey(0, {0, 0, 0}, {}, {30, 150, 0}),
         scenebuild::positionKey(150, {60 * std::cos(phase), 400, 60 * std::sin(phase)},
                                 {30, 150, 0}, {30, 150, 0}),
         scenebuild::positionKey(300, {-50 * std::sin(phase), 800, 50 * std::cos(phase)},
                                 {-30, 150, 0}, {-30, 150, 0}),
         scenebuild::positionKey(450, {40, 1200, -40}, {0, 150, 30}, {0, 150, 30}),
         scenebuild::positionKey(600, {0, 1500, 0}, {0, 100, 0}, {})});
    Vec3* path = nullptr;
    samplePath(&path, &track, benchCloudParticles);
    std::free(track.keys);
    return path;
}

}  // namespace

Scene* buildBenchScene() {
    demo.TextureTable[benchTubeSlot].glTexture = makeTexture(false);
    demo.TextureTable[benchTubeSlot].opacity = 0.0f;
    demo.TextureTable[benchParticleSlot].glTexture = makeTexture(true);
    demo.TextureTable[benchParticleSlot].opacity = 1.0f;

    Scene* scene = scenebuild::newScene({0, -150, 0}, {0, 800, 0}, 0.0f, 0.5f);
    SceneCamera* camera = scene->camera;
    std::free(camera->positionTrack.keys);
    camera->positionTrack = scenebuild::positionTrack(
        {scenebuild::positionKey(0, {0, -150, 0}), scenebuild::positionKey(2000, {20, 1200, -10})});
    std::free(camera->targetTrack.keys);
    camera->targetTrack = scenebuild::positionTrack(
        {scenebuild::positionKey(0, {0, 800, 0}), scenebuild::positionKey(2000, {0, 2400, 0})});
    addTube(scene);
    scene->fogDensity = 0.001f;
    scene->fogColour[0] = scene->fogColour[1] = scene->fogColour[2] = scene->fogColour[3] = 0.0f;

    addSceneHook(scene, &scene->objects[0], &demo.DemoClock.partTime, wobbleVertices);
    for (int i = 0; i < 2; ++i) {
        cloudPaths[i] = makeCloudPath(float(i) * 2.0f);
        addParticleSystem(scene, cloudPaths[i], benchCloudParticles, initPathCloudParticle,
                          updatePathCloudParticle, benchParticleSlot);
    }
    return scene;
}

void flipBenchTube(Scene* scene) {
    flipFaceWinding(&scene->objects[0]);
    computeBaseNormals(&scene->objects[0]);
}

void releaseBenchScene(Scene* scene) {
    for (int i = 0; i < scene->particleSystemCount; ++i)
        giveBackDemoMemory(scene->particleSystems[i].particles);
    scene->particleSystemCount = 0;
    for (Vec3*& path : cloudPaths) {
        giveBackDemoMemory(path);
        path = nullptr;
    }
    scenebuild::deleteScene(scene);
}
