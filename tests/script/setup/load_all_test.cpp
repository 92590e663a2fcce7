// The set-ups with the real loaders on the generated data folder.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "fx/grid_layer.h"
#include "fx/grid_movers.h"
#include "fx/particle_kinds.h"
#include "fx/particles.h"
#include "state/demo_state.h"
#include "support/gl_test_context.h"
#include "support/error_capture.h"
#include "platform/data_path.h"
#include "scene/scene.h"
#include "scene/texture_slot.h"
#include "script/places.h"
#include "script/setup.h"
#include "state/gentle_mode.h"

namespace fs = std::filesystem;

namespace {

const fs::path generatedData = fs::path(DEMO_BUILD_DIR) / "data";

// A private copy of the generated data folder, removed again at the end.
struct DataCopy {
    fs::path dir;
    DataCopy() {
        dir = fs::temp_directory_path() /
              ("quelltarn-setup-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        fs::copy(generatedData, dir, fs::copy_options::recursive);
        setDataDirectory(dir.string().c_str());
    }
    ~DataCopy() {
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }
};

bool haveGeneratedData() { return fs::exists(generatedData / "light.dat"); }

#define REQUIRE_DATA()                                                                  \
    do {                                                                                \
        if (!haveGeneratedData()) GTEST_SKIP() << "no generated data in " << generatedData; \
    } while (0)

bool placeLoaded(int place) { return demo.SceneBank[place].objectCount > 0; }

bool slotUntouched(int slot) {
    const TextureSlot& s = demo.TextureTable[slot];
    return s.glTexture == 0 && s.glTexture2 == 0 && s.flags == 0 && s.opacity == 0;
}

}  // namespace

TEST(LoadAll, MissingMorphFrameStopsTheFishSetUp) {
    REQUIRE_GL();
    REQUIRE_DATA();
    DataCopy data;
    fs::remove(data.dir / "morph3.dat");

    ErrorCapture errors;
    EXPECT_EQ(loadAll(), 0);
    EXPECT_TRUE(errors.contains("mesh-file not found"));

    // The earlier set-ups ran in full.
    for (int place : {0, 1, 2}) EXPECT_TRUE(placeLoaded(place)) << "place " << place;
    EXPECT_NE(demo.GridLayerTable[50].vertices, nullptr);
    // The fish set-up got as far as the third morph file.
    for (int place : {10, 11, 12}) EXPECT_TRUE(placeLoaded(place)) << "place " << place;
    for (int place : {13, 14, 15}) EXPECT_FALSE(placeLoaded(place)) << "place " << place;
    for (int slot = 60; slot <= 63; ++slot) EXPECT_TRUE(slotUntouched(slot)) << "slot " << slot;
    // Darm, kopuli and mirror never ran, nor did the final loads.
    for (int place : {5, 6, 20}) EXPECT_FALSE(placeLoaded(place)) << "place " << place;
    for (int slot : {40, 59, 70, 71, 80, 93, 97, 99}) EXPECT_TRUE(slotUntouched(slot)) << slot;
    for (int layer : {20, 28, 40, 55}) EXPECT_EQ(demo.GridLayerTable[layer].vertices, nullptr);
    EXPECT_EQ(demo.SceneBank[5].particleSystemCount, 0);
    freeAll();
}

namespace {

void expectSceneFog() {
    // Fog as each set-up leaves it.
    struct Fog {
        int place;
        float density, r, g, b, a;
    };
    for (Fog fog : {Fog{0, 0, 0, 0, 0, 0}, Fog{1, 0.00005f, 0, 0, 0, 0}, Fog{2, 0.001f, 0, 0, 0, 0},
                    Fog{5, 0, 0, 0, 0, 0}, Fog{6, 0, 0, 0, 0, 0},
                    Fog{10, 0.005f, 0.1f, 0.1f, 0.2f, 0.5f}, Fog{11, 0, 0, 0, 0, 0},
                    Fog{15, 0, 0, 0, 0, 0}, Fog{20, 0.01f, 0, 0, 0, 0}}) {
        const Scene& scene = demo.SceneBank[fog.place];
        EXPECT_FLOAT_EQ(scene.fogDensity, fog.density) << "place " << fog.place;
        EXPECT_FLOAT_EQ(scene.fogColour[0], fog.r) << "place " << fog.place;
        EXPECT_FLOAT_EQ(scene.fogColour[1], fog.g) << "place " << fog.place;
        EXPECT_FLOAT_EQ(scene.fogColour[2], fog.b) << "place " << fog.place;
        EXPECT_FLOAT_EQ(scene.fogColour[3], fog.a) << "place " << fog.place;
    }
}

void expectTextureSlots() {
    // Every listed slot holds a picture; no other slot is filled.
    auto listed = [](int slot) {
        return (slot <= 7) || (slot >= 10 && slot <= 23) || (slot >= 25 && slot <= 38) ||
               (slot >= 40 && slot <= 63) || slot == 70 || slot == 71 ||
               (slot >= 80 && slot <= 82) || (slot >= 90 && slot <= 93) ||
               (slot >= 97 && slot <= 99);
    };
    for (int slot = 0; slot < 120; ++slot) {
        if (listed(slot))
            EXPECT_NE(demo.TextureTable[slot].glTexture, 0u) << "slot " << slot;
        else
            EXPECT_TRUE(slotUntouched(slot)) << "slot " << slot;
    }
    struct SlotKind {
        int slot;
        float opacity;
        int flags;
    };
    for (SlotKind kind : {SlotKind{10, 0, 0}, SlotKind{13, 1, 0}, SlotKind{31, 0, 0},
                          SlotKind{40, 1, textureFlagEnvMap}, SlotKind{60, 0, textureFlagTwoLayer},
                          SlotKind{63, 0, 0}, SlotKind{70, 0, textureFlagEnvMap},
                          SlotKind{71, 0, 0}, SlotKind{81, 1, 0}, SlotKind{82, 0, 0}}) {
        EXPECT_EQ(demo.TextureTable[kind.slot].opacity, kind.opacity) << "slot " << kind.slot;
        EXPECT_EQ(demo.TextureTable[kind.slot].flags, kind.flags) << "slot " << kind.slot;
    }
    EXPECT_FLOAT_EQ(demo.TextureTable[60].texScale2, 0.03f);
    EXPECT_FLOAT_EQ(demo.TextureTable[61].texScale2, 0.7f);
    // The same picture in several slots gives each its own texture.
    EXPECT_NE(demo.TextureTable[7].glTexture, demo.TextureTable[12].glTexture);
    EXPECT_NE(demo.TextureTable[47].glTexture, demo.TextureTable[98].glTexture);
}

void expectGridLayers() {
    // Grid layers: the built ones, their sizes and slots.
    struct Layer {
        int layer, columns, slot;
    };
    for (Layer l : {Layer{0, 10, 0}, Layer{7, 10, 2}, Layer{10, 2, 19}, Layer{13, 30, 23},
                    Layer{20, 2, 47}, Layer{28, 2, 54}, Layer{32, 10, 30}, Layer{38, 20, 37},
                    Layer{50, 20, 38}, Layer{48, 2, 90}, Layer{55, 2, 93}}) {
        EXPECT_EQ(demo.GridLayerTable[l.layer].columns, l.columns) << "layer " << l.layer;
        EXPECT_EQ(demo.GridLayerTable[l.layer].textureSlot, l.slot) << "layer " << l.layer;
    }
    for (int layer : {8, 9, 14, 19, 29, 49, 56, 100})
        EXPECT_EQ(demo.GridLayerTable[layer].vertices, nullptr) << "layer " << layer;
    EXPECT_EQ(demo.GridLayerTable[13].moveVertex, gridVertexRipple);
    EXPECT_EQ(demo.GridLayerTable[3].moveVertex, gridVertexDrift);
    EXPECT_FLOAT_EQ(demo.GridLayerTable[13].vertices[29].u, 2);
    // Layer 28 is layer 27 turned by half a turn.
    const GridLayer& a = demo.GridLayerTable[27];
    const GridLayer& b = demo.GridLayerTable[28];
    ASSERT_EQ(a.vertexCount, 4);
    ASSERT_EQ(b.vertexCount, 4);
    EXPECT_FLOAT_EQ(a.vertices[3].v, 0.99f);
    for (int k = 0; k < 4; ++k) {
        EXPECT_FLOAT_EQ(b.vertices[k].u, a.vertices[3 - k].u);
        EXPECT_FLOAT_EQ(b.vertices[k].v, a.vertices[3 - k].v);
        EXPECT_FLOAT_EQ(b.vertices[k].base.x, a.vertices[k].base.x);
    }
}

void expectParticlesHooksAndFlares() {
    // Particle systems, hooks and flare chains; a place no set-up fills has
    // taken no tables.
    EXPECT_EQ(demo.SceneBank[3].particleSystems, nullptr);
    EXPECT_EQ(demo.SceneBank[3].hooks, nullptr);
    EXPECT_EQ(demo.SceneBank[3].flareSets, nullptr);
    Scene& light = demo.SceneBank[0];
    ASSERT_EQ(light.particleSystemCount, 1);
    EXPECT_EQ(light.particleSystems[0].count, 1500);
    EXPECT_EQ(light.particleSystems[0].texture, &demo.TextureTable[13]);
    ASSERT_EQ(light.flareSetCount, 1);
    EXPECT_EQ(light.flareSets[0].source, &light.lights[0].viewPosition);

    Scene& neuronal = demo.SceneBank[1];
    ASSERT_EQ(neuronal.particleSystemCount, 2);
    ASSERT_EQ(neuronal.flareSetCount, 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(neuronal.particleSystems[i].count, 100);
        EXPECT_EQ(neuronal.particleSystems[i].userData, &neuronal.lights[i].worldPosition);
        EXPECT_EQ(neuronal.flareSets[i].source, &neuronal.lights[i].viewPosition);
    }

    Scene& aterie = demo.SceneBank[2];
    ASSERT_EQ(aterie.hookCount, 1);
    EXPECT_EQ(aterie.hooks[0].target, &aterie.objects[0]);
    EXPECT_EQ(aterie.hooks[0].userData, &demo.DemoClock.partTime);
    ASSERT_EQ(aterie.particleSystemCount, 2);
    EXPECT_EQ(aterie.particleSystems[0].userData, demo.ateriePath1);
    EXPECT_EQ(aterie.particleSystems[1].userData, demo.ateriePath2);
    EXPECT_EQ(aterie.particleSystems[1].count, 3000);
    EXPECT_EQ(aterie.particleSystems[1].texture, &demo.TextureTable[32]);

    Scene& darm = demo.SceneBank[5];
    ASSERT_EQ(darm.particleSystemCount, 5);
    const int counts[5] = {300, 5, 300, 300, 1500};
    const int slots[5] = {44, 43, 45, 46, 42};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(darm.particleSystems[i].count, counts[i]) << "system " << i;
        EXPECT_EQ(darm.particleSystems[i].texture, &demo.TextureTable[slots[i]]) << "system " << i;
        EXPECT_EQ(darm.particleSystems[i].userData, demo.darmPath) << "system " << i;
    }
    EXPECT_EQ(darm.particleSystems[1].update, updatePathHeadParticle);
    ASSERT_EQ(darm.hookCount, 1);
    EXPECT_EQ(darm.hooks[0].userData, &darm.particleSystems[1]);
    EXPECT_EQ(static_cast<SceneObject*>(darm.hooks[0].target)->textureIndex, 40);

    Scene& kopuli = demo.SceneBank[6];
    ASSERT_EQ(kopuli.hookCount, 1);
    EXPECT_EQ(static_cast<SceneObject*>(kopuli.hooks[0].target)->textureIndex, 71);
    EXPECT_EQ(kopuli.hooks[0].userData, &demo.DemoClock.partTime);
}

void expectWater() {
    // The water: two independent copies of the surface and both tables.
    ASSERT_NE(demo.waterCanvas, nullptr);
    ASSERT_NE(demo.surfaceImage, nullptr);
    EXPECT_NE(demo.waterCanvas, demo.surfaceImage);
    EXPECT_NE(demo.waterCanvas->pixels, demo.surfaceImage->pixels);
    EXPECT_NE(demo.waterImage, nullptr);
    EXPECT_NE(demo.waterOffsetTable, nullptr);
    EXPECT_NE(demo.surfaceTexelTable, nullptr);
}

}  // namespace

TEST(LoadAll, FillsTheAssetTable) {
    REQUIRE_GL();
    REQUIRE_DATA();
    DataCopy data;
    ErrorCapture errors;
    ASSERT_EQ(loadAll(), 1);
    EXPECT_TRUE(errors.texts.empty()) << errors.texts.front();

    for (int place : {0, 1, 2, 5, 6, 10, 11, 12, 13, 14, 15, 20})
        EXPECT_TRUE(placeLoaded(place)) << "place " << place;

    expectSceneFog();
    expectTextureSlots();
    expectGridLayers();
    expectParticlesHooksAndFlares();
    expectWater();
    freeAll();
}

namespace {

// Pixels of a slot's texture whose red is more than `share` of their linear light.
long redderThan(int slot, float share) {
    glBindTexture(GL_TEXTURE_2D, demo.TextureTable[slot].glTexture);
    GLint width = 0, height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    std::vector<unsigned char> rgb(size_t(width) * size_t(height) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    const auto linear = [](unsigned char v) {
        const float c = v / 255.0f;
        return c <= 0.04045f ? c / 12.92f : std::pow((c + 0.055f) / 1.055f, 2.4f);
    };
    long count = 0;
    for (size_t i = 0; i < rgb.size(); i += 3) {
        const float r = linear(rgb[i]), sum = r + linear(rgb[i + 1]) + linear(rgb[i + 2]);
        if (r > share * sum) ++count;
    }
    return width > 0 && height > 0 ? count : -1;
}

}  // namespace

// Gentle play loads twins of the artery's wall (slot 31) and blood cells
// (slot 32) with no saturated red in them; plain play loads none, and the
// plain pictures stay as they are either way.
TEST(LoadAll, GentlePlayLoadsTemperedTwinsOfTheArtery) {
    REQUIRE_GL();
    REQUIRE_DATA();
    DataCopy data;
    ASSERT_EQ(loadAll(), 1);
    const long plainWallReds = redderThan(31, 0.8f), plainReds = redderThan(32, 0.8f);
    EXPECT_GT(plainWallReds, 1000);
    EXPECT_GT(plainReds, 1000);
    EXPECT_TRUE(slotUntouched(temperedWallSlot));
    EXPECT_TRUE(slotUntouched(temperedBloodSlot));
    freeAll();

    for (bool chosenAtPlay : {false, true}) {
        gentleMode.on = !chosenAtPlay;
        gentleMode.chosenAtPlay = chosenAtPlay;
        ErrorCapture errors;
        const int loaded = loadAll();
        gentleMode = GentleMode{};
        ASSERT_EQ(loaded, 1);
        EXPECT_TRUE(errors.texts.empty()) << errors.texts.front();
        EXPECT_EQ(redderThan(31, 0.8f), plainWallReds);
        EXPECT_EQ(redderThan(32, 0.8f), plainReds);
        EXPECT_EQ(redderThan(temperedWallSlot, 0.7f), 0);
        EXPECT_EQ(redderThan(temperedBloodSlot, 0.7f), 0);
        EXPECT_EQ(demo.TextureTable[temperedWallSlot].opacity, 0);
        EXPECT_EQ(demo.TextureTable[temperedBloodSlot].opacity, 1);
        freeAll();
    }
}
