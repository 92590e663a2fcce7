// The generated scene files: they load with the demo's loader, hold what the
// set-ups and the choreography rely on, and every camera cut frames something.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "mkdata.h"
#include "scene/evaluate.h"
#include "scene/scene_file.h"
#include "scene/texture_slot.h"
#include "state/demo_state.h"

namespace {

struct SceneInfo {
    const char* file;
    int base;
};
const SceneInfo sceneFiles[] = {{"light.dat", 10},  {"neuronal.dat", 25}, {"aterie.dat", 31},
                                {"fisch2.dat", 60}, {"morph1.dat", 60},   {"morph2.dat", 60},
                                {"morph3.dat", 60}, {"morph4.dat", 60},   {"morph5.dat", 60},
                                {"darm.dat", 40},   {"kopuli.dat", 70},   {"mirror.dat", 80}};

std::string makeTempDir() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/mkdata-scenes-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    return mkdtemp(buf.data()) ? std::string(buf.data()) : std::string();
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class GeneratedScenes : public ::testing::Test {
protected:
    static std::string dir;
    static TextureSlot* savedTable;
    static std::vector<TextureSlot> zeroTable;
    static std::vector<Scene*> scenes;

    static void SetUpTestSuite() {
        savedTable = demo.TextureTable;
        zeroTable.assign(textureTableSize, TextureSlot{});
        demo.TextureTable = zeroTable.data();
        dir = makeTempDir();
        ASSERT_FALSE(dir.empty());
        ASSERT_EQ(writeScenes(dir.c_str()), 1);
        for (const SceneInfo& info : sceneFiles) {
            Scene* s = static_cast<Scene*>(std::calloc(1, sizeof(Scene)));
            std::string path = dir + "/" + info.file;
            EXPECT_EQ(loadSceneFile(path.c_str(), s, info.base), 1) << info.file;
            scenes.push_back(s);
        }
    }
    static void TearDownTestSuite() {
        for (Scene* s : scenes) {
            releaseSceneContents(s);
            std::free(s);
        }
        scenes.clear();
        for (const SceneInfo& info : sceneFiles) std::remove((dir + "/" + info.file).c_str());
        rmdir(dir.c_str());
        demo.TextureTable = savedTable;
    }

    static Scene* scene(const char* file) {
        for (size_t i = 0; i < std::size(sceneFiles); ++i)
            if (!std::strcmp(sceneFiles[i].file, file)) return scenes[i];
        return nullptr;
    }
};
std::string GeneratedScenes::dir;
TextureSlot* GeneratedScenes::savedTable = nullptr;
std::vector<TextureSlot> GeneratedScenes::zeroTable;
std::vector<Scene*> GeneratedScenes::scenes;

Vec3 worldOf(const SceneObject& o, Vec3 v) {
    const float* m = o.matrix.m;
    return {m[0] * v.x + m[1] * v.y + m[2] * v.z + o.position.x,
            m[3] * v.x + m[4] * v.y + m[5] * v.z + o.position.y,
            m[6] * v.x + m[7] * v.y + m[8] * v.z + o.position.z};
}

float distance(Vec3 a, Vec3 b) {
    return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z));
}

bool inView(const SceneCamera& c, Vec3 v, float farZ) {
    float limit = -v.z * std::tan(c.fov);
    return v.z < -1.0f && v.z > farZ && std::fabs(v.x) < limit && std::fabs(v.y) < limit;
}

// How much of the picture the scene fills: vertices in view and the share of
// a 12 x 9 screen grid they touch.
struct Coverage {
    int vertices = 0;
    int cells = 0;
};
Coverage coverage(const Scene* s, float farZ, int onlyObject = -1) {
    bool hit[12][9] = {};
    Coverage c;
    float tf = std::tan(s->camera->fov);
    for (int i = 0; i < s->objectCount; ++i) {
        if (onlyObject >= 0 && i != onlyObject) continue;
        const SceneObject& o = s->objects[i];
        for (int k = 0; k < o.vertexCount; ++k) {
            Vec3 v = o.viewVertices[k];
            if (!inView(*s->camera, v, farZ)) continue;
            ++c.vertices;
            int gx = int((v.x / (-v.z * tf) + 1) * 6), gy = int((v.y / (-v.z * tf) + 1) * 4.5f);
            hit[gx < 12 ? gx : 11][gy < 9 ? gy : 8] = true;
        }
    }
    for (auto& row : hit)
        for (bool b : row) c.cells += b;
    return c;
}

struct Shot {
    float from, to;  // scene times
};

// Every shot of the choreography, by file: scene times, depth limit, the
// object that must be in the picture (-1: any) and the screen share.
struct Showing {
    const char* file;
    float farZ;
    int keyObject;
    int minCells;
    std::vector<Shot> shots;
};
const Showing showings[] = {
    {"light.dat", -1800, -1, 30,
     {{100, 215}, {550, 665}, {285, 400}, {800, 915}, {200, 310}, {340, 450}, {700, 820}, {165, 280},
      {820, 1343.5f}}},
    {"neuronal.dat", -30000, 0, 25, {{0, 250}}},
    {"aterie.dat", -1800, 0, 40,
     {{0, 115}, {385, 500}, {250, 365}, {1200, 1315}, {292.5f, 350}, {1242.5f, 1300}, {450, 565}}},
    {"fisch2.dat", -1800, 1, 6,
     {{50, 165}, {750, 865}, {450, 565}, {300, 415}, {750, 860}, {600, 710}, {100, 220}, {820, 874.5f}}},
    {"darm.dat", -1800, 0, 30, {{0, 488.25f}, {700, 2534}}},
    {"kopuli.dat", -1800, 0, 80, {{0, 200}}},
    {"mirror.dat", -1800, 0, 6, {{0, 581}}},
};

TEST_F(GeneratedScenes, EveryShotFramesItsSubject) {
    for (const Showing& show : showings) {
        Scene* s = scene(show.file);
        ASSERT_NE(s, nullptr);
        for (const Shot& shot : show.shots) {
            for (float t = shot.from; t <= shot.to; t += 2.5f) {
                evaluateScene(s, t);
                const SceneCamera& cam = *s->camera;
                ASSERT_LT(std::fabs(cam.forward.z), 0.95f) << show.file << " looks straight up or down at " << t;
                Coverage all = coverage(s, show.farZ);
                EXPECT_GE(all.cells, 20) << show.file << " shows little at time " << t;
                if (show.keyObject >= 0) {
                    Coverage key = coverage(s, show.farZ, show.keyObject);
                    EXPECT_GE(key.cells, show.minCells)
                        << show.file << " object " << show.keyObject << " at time " << t;
                }
            }
        }
    }
}

TEST_F(GeneratedScenes, CamerasCoverTheirSceneTimes) {
    struct Need {
        const char* file;
        int lastTime;
    };
    const Need needs[] = {{"light.dat", 1344},  {"neuronal.dat", 250}, {"aterie.dat", 1315},
                          {"fisch2.dat", 875},  {"darm.dat", 2534},    {"kopuli.dat", 200},
                          {"mirror.dat", 581}};
    for (const Need& n : needs) {
        const SceneCamera* c = scene(n.file)->camera;
        ASSERT_GE(c->positionTrack.keyCount, 2) << n.file;
        EXPECT_EQ(c->positionTrack.keys[0].time, 0) << n.file;
        EXPECT_GE(c->positionTrack.keys[c->positionTrack.keyCount - 1].time, n.lastTime) << n.file;
        EXPECT_GE(c->targetTrack.keys[c->targetTrack.keyCount - 1].time, n.lastTime) << n.file;
        ASSERT_GE(c->fovTrack.keyCount, 1);
        float fov = c->fovTrack.keys[0].value;
        EXPECT_GT(fov, 0.3f) << n.file;  // half the vertical angle, radians
        EXPECT_LT(fov, 0.8f) << n.file;
    }
}

TEST_F(GeneratedScenes, LoopingScenesJoinSeamlessly) {
    const struct {
        const char* file;
        float period;
    } loops[] = {{"neuronal.dat", 250}, {"kopuli.dat", 200}};
    for (auto loop : loops) {
        Scene* s = scene(loop.file);
        std::vector<Vec3> start, end;
        for (float t : {0.0f, loop.period}) {
            evaluateScene(s, t);
            std::vector<Vec3>& out = t == 0.0f ? start : end;
            out.push_back(s->camera->position);
            out.push_back(s->camera->target);
            for (int i = 0; i < s->objectCount; ++i)
                for (int k = 0; k < s->objects[i].vertexCount; k += 17)
                    out.push_back(worldOf(s->objects[i], s->objects[i].baseVertices[k]));
            for (int i = 0; i < s->lightCount; ++i) out.push_back(s->lights[i].worldPosition);
        }
        ASSERT_EQ(start.size(), end.size());
        for (size_t i = 0; i < start.size(); ++i)
            ASSERT_LT(distance(start[i], end[i]), 0.5f) << loop.file << " point " << i;
    }
}

TEST_F(GeneratedScenes, LightSceneCoreAndRocks) {
    Scene* s = scene("light.dat");
    ASSERT_GE(s->lightCount, 2);
    for (float t = 0; t <= 1350; t += 5) {
        evaluateScene(s, t);
        EXPECT_LT(distance(s->lights[0].worldPosition, Vec3{0, 0, 0}), 30.0f);
        // The burst flies a few units around light 0; the flare hangs on it.
        EXPECT_TRUE(inView(*s->camera, s->lights[0].viewPosition, -1800)) << "time " << t;
        EXPECT_GT(-s->lights[0].viewPosition.z, 250.0f) << "burst too close at " << t;
    }
    // Every rock (felsen, slot 10) has lights within point-light reach.
    evaluateScene(s, 0);
    int rocks = 0;
    for (int i = 0; i < s->objectCount; ++i) {
        const SceneObject& o = s->objects[i];
        if (o.textureIndex != 10) continue;
        ++rocks;
        int lit = 0;
        for (int k = 0; k < o.vertexCount; ++k) {
            Vec3 p = worldOf(o, o.baseVertices[k]);
            for (int l = 0; l < s->lightCount; ++l)
                if (distance(p, s->lights[l].worldPosition) <= 150.0f) {
                    ++lit;
                    break;
                }
        }
        EXPECT_GT(lit, o.vertexCount * 3 / 4) << "rock object " << i;
    }
    EXPECT_GE(rocks, 20);
}

TEST_F(GeneratedScenes, NeuronalLightsFlyThroughTheNetwork) {
    Scene* s = scene("neuronal.dat");
    ASSERT_GE(s->lightCount, 2);
    ASSERT_GE(s->objectCount, 1);
    EXPECT_EQ(s->objects[0].textureIndex, 25);  // the network: netz-map, wireframe in part 3
    EXPECT_GT(s->objects[0].faceCount, 5000);
    for (float t = 0; t <= 250; t += 5) {
        evaluateScene(s, t);
        for (int l = 0; l < 2; ++l) {
            EXPECT_TRUE(inView(*s->camera, s->lights[l].viewPosition, -30000)) << "light " << l << " at " << t;
            EXPECT_GT(-s->lights[l].viewPosition.z, 800.0f);
        }
    }
}

TEST_F(GeneratedScenes, AterieCloudPathsRunAlongTheVessel) {
    Scene* s = scene("aterie.dat");
    ASSERT_GE(s->lightCount, 9);
    EXPECT_EQ(s->objects[0].textureIndex, 31);  // the wall the wobble hook moves
    std::vector<Vec3> route;
    for (float t = 0; t <= 1400; t += 5) {
        evaluateScene(s, t);
        route.push_back(s->camera->position);
    }
    for (int l : {7, 8}) {
        PositionTrack* track = &s->lights[l].positionTrack;
        Vec3 first = {}, last = {};
        for (int i = 0; i <= 600; i += 10) {
            Vec3 p;
            samplePositionTrack(track, &p, float(i));
            float nearest = 1e30f;
            for (Vec3 r : route) nearest = std::fmin(nearest, distance(p, r));
            EXPECT_LT(nearest, 150.0f) << "light " << l << " path point " << i << " leaves the vessel";
            if (i == 0) first = p;
            last = p;
        }
        EXPECT_GT(distance(first, last), 4000.0f) << "light " << l << " path is short";
    }
}

TEST_F(GeneratedScenes, MorphFramesShareTheFishVertexOrder) {
    const SceneObject& fish = scene("fisch2.dat")->objects[1];
    EXPECT_EQ(fish.textureIndex, 61);  // ballfish, two layers
    const SceneObject& mirrorFish = scene("mirror.dat")->objects[0];
    EXPECT_EQ(mirrorFish.vertexCount, fish.vertexCount);
    for (const char* file : {"morph1.dat", "morph2.dat", "morph3.dat", "morph4.dat", "morph5.dat"}) {
        Scene* s = scene(file);
        ASSERT_EQ(s->objectCount, 10) << file;
        for (int f = 0; f < 10; ++f) {
            const SceneObject& frame = s->objects[f];
            ASSERT_EQ(frame.vertexCount, fish.vertexCount) << file << " frame " << f;
            ASSERT_EQ(frame.faceCount, fish.faceCount) << file << " frame " << f;
            for (int i = 0; i < fish.faceCount; ++i)
                for (int c = 0; c < 3; ++c)
                    ASSERT_EQ(frame.faces[i].corners[c].vertexIndex, fish.faces[i].corners[c].vertexIndex);
        }
    }
    // Frame 0 of the swim cycle is the fish as stored, so nothing jumps when
    // the morph starts writing it.
    const SceneObject& first = scene("morph1.dat")->objects[0];
    for (int k = 0; k < fish.vertexCount; ++k) ASSERT_LT(distance(first.baseVertices[k], fish.baseVertices[k]), 1e-4f);
    // The swim cycle moves the tail; the blend sets differ from it.
    float tailBeat = 0, bend = 0;
    for (int k = 0; k < fish.vertexCount; ++k) {
        tailBeat = std::fmax(tailBeat, distance(scene("morph1.dat")->objects[5].baseVertices[k], first.baseVertices[k]));
        bend = std::fmax(bend, distance(scene("morph2.dat")->objects[0].baseVertices[k], first.baseVertices[k]));
    }
    EXPECT_GT(tailBeat, 3.0f);
    EXPECT_GT(bend, 5.0f);
}

TEST_F(GeneratedScenes, MirrorReflectionIsPosedAcrossTheWater) {
    Scene* s = scene("mirror.dat");
    ASSERT_EQ(s->objectCount, 3);
    SceneObject& fish = s->objects[0];
    SceneObject& image = s->objects[2];
    EXPECT_EQ(fish.textureIndex, 80);
    EXPECT_EQ(s->objects[1].textureIndex, 81);  // the water surface
    EXPECT_EQ(image.textureIndex, 82);
    ASSERT_GE(image.vertexCount, fish.vertexCount);
    ASSERT_EQ(image.faceCount, fish.faceCount);
    for (int i = 0; i < fish.faceCount; ++i)
        for (int c = 0; c < 3; ++c)
            ASSERT_EQ(image.faces[i].corners[c].vertexIndex, fish.faces[i].corners[c].vertexIndex);
    // What the choreography does each frame (without the ripple): the image's
    // vertices are the fish's with z negated; its world picture must then be
    // the fish's mirrored in z = 0.
    for (int k = 0; k < fish.vertexCount; ++k)
        image.baseVertices[k] = {fish.baseVertices[k].x, fish.baseVertices[k].y, -fish.baseVertices[k].z};
    for (float t = 0; t <= 581; t += 7) {
        evaluateScene(s, t);
        for (int k = 0; k < fish.vertexCount; k += 3) {
            Vec3 a = worldOf(fish, fish.baseVertices[k]);
            Vec3 b = worldOf(image, image.baseVertices[k]);
            ASSERT_LT(distance(b, Vec3{a.x, a.y, -a.z}), 0.05f) << "time " << t << " vertex " << k;
            ASSERT_GT(a.z, 0.0f) << "the fish dips under the water at " << t;
        }
    }
}

TEST_F(GeneratedScenes, HookTargetsAndMaterials) {
    // darm: the first object drawn with slot 40 (environment-mapped) is the tunnel.
    Scene* darm = scene("darm.dat");
    ASSERT_EQ(findSceneObject(darm, 40), &darm->objects[0]);
    EXPECT_GT(darm->objects[0].faceCount, 5000);
    ASSERT_GE(darm->lightCount, 1);
    // Light 0 is the swarms' path: sampled 0..2500 it stays near the camera's route.
    std::vector<Vec3> route;
    for (float t = 0; t <= 2560; t += 4) {
        evaluateScene(darm, t);
        route.push_back(darm->camera->position);
    }
    for (int i = 0; i <= 2500; i += 25) {
        Vec3 p;
        samplePositionTrack(&darm->lights[0].positionTrack, &p, float(i));
        float nearest = 1e30f;
        for (Vec3 r : route) nearest = std::fmin(nearest, distance(p, r));
        EXPECT_LT(nearest, 60.0f) << "darm path point " << i;
    }
    // kopuli: the ripple target (slot 71) spans about 1,000 units in camera
    // space around both ripple centres.
    Scene* kopuli = scene("kopuli.dat");
    SceneObject* wall = findSceneObject(kopuli, 71);
    ASSERT_NE(wall, nullptr);
    for (float t : {0.0f, 50.0f, 100.0f, 150.0f}) {
        evaluateScene(kopuli, t);
        float minX = 1e9f, maxX = -1e9f, minY = 1e9f, maxY = -1e9f;
        for (int k = 0; k < wall->vertexCount; ++k) {
            Vec3 v = wall->viewVertices[k];
            ASSERT_LT(v.z, -100.0f);
            minX = std::fmin(minX, v.x), maxX = std::fmax(maxX, v.x);
            minY = std::fmin(minY, v.y), maxY = std::fmax(maxY, v.y);
        }
        EXPECT_LT(minX, -450.0f);
        EXPECT_GT(maxX, 450.0f);
        EXPECT_LT(minY, -450.0f);
        EXPECT_GT(maxY, 450.0f);
    }
    // fisch2: floor and fish are two-layer slots, the water overhead the live water.
    Scene* fisch = scene("fisch2.dat");
    EXPECT_EQ(fisch->objects[0].textureIndex, 60);
    EXPECT_EQ(fisch->objects[2].textureIndex, 63);
}

TEST_F(GeneratedScenes, BudgetAndDeterminism) {
    size_t total = 0;
    for (size_t i = 0; i < std::size(sceneFiles); ++i) {
        int triangles = 0;
        for (int k = 0; k < scenes[i]->objectCount; ++k) triangles += scenes[i]->objects[k].faceCount;
        EXPECT_LE(triangles, 20000) << sceneFiles[i].file;
        total += readFile(dir + "/" + sceneFiles[i].file).size();
    }
    EXPECT_LT(total, size_t(8) << 20);
    std::string again = makeTempDir();
    ASSERT_EQ(writeScenes(again.c_str()), 1);
    for (const SceneInfo& info : sceneFiles) {
        EXPECT_EQ(readFile(dir + "/" + info.file), readFile(again + "/" + info.file)) << info.file;
        std::remove((again + "/" + info.file).c_str());
    }
    rmdir(again.c_str());
}

}  // namespace
