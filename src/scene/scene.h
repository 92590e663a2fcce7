#pragma once
#include "math/tracks.h"
#include "math/vec.h"
#include "state/demo_state.h"

// The in-memory scene model: one Scene per scene file, held in the demo.SceneBank.

struct TextureSlot;

enum : int {
    maxSceneTableEntries = 256,  // particle systems, hooks and flare sets per scene
    sceneBankSize = 1024,
    textureTableSize = 1024,
};

struct Particle {
    Vec3 offset;
    Vec3 velocity;
    Vec3 worldPos;
    Vec3 viewPos;
    float colour[3];
    float spare0;
    float shrinkRate;
    float spare1;
    float size;
    float spare2;
    float pathPos;
    float pathSpeed;
    int typeTag;
    int spare3;
};
static_assert(sizeof(Particle) == 24 * 4, "Particle is 24 four-byte words");

typedef void (*ParticleInitFn)(Particle* particle);
typedef void (*ParticleUpdateFn)(Particle* particle, void* userData);

struct ParticleSystem {
    Particle* particles;
    int count;
    ParticleInitFn init;
    ParticleUpdateFn update;
    void* userData;
    TextureSlot* texture;
};

typedef void (*SceneHookFn)(void* target, void* userData);

struct SceneHook {
    void* target;
    void* userData;
    SceneHookFn function;
};

struct FlareLens {
    unsigned glTexture;
    float size;
    float red, green, blue;
};

struct FlareSet {
    int lensCount;
    int preLight;
    FlareLens* lenses;
    Vec3* source;
    float spacing;
    float intensity;
    float falloff;
    float fadeRate;
    int fadeDir;  // 1 fading in, 0 fading out, anything else held
};

struct SceneCamera {
    unsigned char kind;
    int parentIndex;
    Vec3 position;
    Vec3 target;
    float roll;
    float fov;  // half the vertical field of view, radians
    PositionTrack positionTrack;
    ScalarTrack rollTrack;
    ScalarTrack fovTrack;
    PositionTrack targetTrack;
    VisibilityTrack visibility;
    Vec3 right;
    Vec3 down;
    Vec3 forward;
};

struct FaceCorner {
    int vertexIndex;
    float uv[2];
    float uv2[2];
    float colour[3];
};

struct Face {
    FaceCorner corners[3];
};

struct SceneObject {
    unsigned char kind;  // 1: child of objects[parentIndex]
    int parentIndex;
    int vertexCount;
    int faceCount;
    int textureIndex;
    Mat3 matrix;
    Vec3 position;
    int posed;
    Vec3* baseVertices;
    Vec3* viewVertices;
    Face* faces;
    Vec3* normals;
    float* normalScale;
    PositionTrack positionTrack;
    RotationTrack rotationTrack;
    PositionTrack scaleTrack;
    VisibilityTrack visibility;
};

struct SceneLight {
    unsigned char kind;
    int parentIndex;
    Vec3 worldPosition;
    Vec3 viewPosition;
    float red, green, blue;
    PositionTrack positionTrack;
    VisibilityTrack visibility;
};

struct SceneSpot {
    unsigned char kind;
    int parentIndex;
    float colour[3];
    PositionTrack positionTrack;
    ScalarTrack valueTrackA;
    ScalarTrack valueTrackB;
    PositionTrack targetTrack;
    VisibilityTrack visibility;
};

struct Scene {
    SceneCamera* camera;
    SceneObject* objects;
    int objectCount;
    SceneLight* lights;
    int lightCount;
    SceneSpot* spots;
    int spotCount;
    // The three tables, maxSceneTableEntries entries each, are taken from the
    // changing arena when the scene first needs one (null until then), so a
    // place no set-up uses costs only this record.
    ParticleSystem* particleSystems;
    int particleSystemCount;
    SceneHook* hooks;
    int hookCount;
    FlareSet* flareSets;
    int flareSetCount;
    float fogDensity;
    float fogColour[4];
};

// First object (file order) drawn with the given texture slot, or null.
SceneObject* findSceneObject(Scene* scene, int textureIndex);

// The scene's table, taken from the changing arena if not yet: 1 when it is
// there, 0 when the arena is full (it stays null). The functions that add to a
// table call these; code that fills a scene's tables by hand calls
// takeSceneTables first.
int takeParticleSystemTable(Scene* scene);
int takeHookTable(Scene* scene);
int takeFlareSetTable(Scene* scene);
int takeSceneTables(Scene* scene);

// The scene bank, demo.SceneBank: sceneBankSize scenes, zero-filled by
// makeDemoState.
