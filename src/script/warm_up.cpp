#include "script/warm_up.h"

#include <GL/gl.h>

#include <vector>

#include "fx/frame_profile.h"
#include "fx/switches.h"
#include "math/demo_clock.h"
#include "math/random.h"
#include "platform/report_error.h"
#include "scene/texture_slot.h"
#include "script/frame_loop.h"
#include "script/parts.h"
#include "script/setup.h"
#include "script/timeline.h"

// The first frame of every part, and then one frame a second: cuts, layers,
// flashes and objects that come and go use different GL states, and each new
// state costs a compile. Frames at a 1x1 viewport cost little more than
// sending them.
enum : int { warmUpStepMs = 1000 };

namespace {

int countWarmUpTimes() { return (partCount - 1) + timelineEndMs / warmUpStepMs; }

// The i-th warm-up time: the part starts first, then the seconds.
int warmUpTime(int i) {
    if (i < partCount - 1) return partStartMs(i) + 100;
    return (i - (partCount - 1)) * warmUpStepMs + warmUpStepMs / 2;
}

}  // namespace

const int warmUpTimeCount = countWarmUpTimes();

namespace {

// Globals the frames write that loading does not set.
struct LoopGlobals {
    DemoClockRecord clock;
    int partMs;
    uint32_t random;
    float cullNearZ, cullFarZ, sceneBrightness;
    int sceneWarpEnabled, transparentNoFog;
    FrameLoopIo io;
    uint32_t musicStartMs;
    double frameCpuSeconds;
};

LoopGlobals saveLoopGlobals() {
    return LoopGlobals{DemoClock,        partMs,       randomState(),    cullNearZ,
                       cullFarZ,         sceneBrightness, sceneWarpEnabled, transparentNoFog,
                       demoFrameIo,      musicStartMs, frameCpuSeconds};
}

void restoreLoopGlobals(const LoopGlobals& g) {
    DemoClock = g.clock;
    partMs = g.partMs;
    resetRandom(g.random);
    cullNearZ = g.cullNearZ;
    cullFarZ = g.cullFarZ;
    sceneBrightness = g.sceneBrightness;
    sceneWarpEnabled = g.sceneWarpEnabled;
    transparentNoFog = g.transparentNoFog;
    demoFrameIo = g.io;
    musicStartMs = g.musicStartMs;
    frameCpuSeconds = g.frameCpuSeconds;
}

// One frame at a time through the frame loop: the clock reads t - 16 before
// the frame and t for it, so every warm-up frame has an ordinary step.
uint32_t warmUpNow = 0;
int warmUpReadings = 0;
int warmUpFramesDone = 0;

uint32_t warmUpTimer() { return warmUpReadings++ == 0 ? warmUpNow - 16 : warmUpNow; }
void warmUpPresent() { ++warmUpFramesDone; }
int warmUpStop() { return warmUpFramesDone > 0; }

void drawWarmUpFrames() {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
    GLint mode = GL_MODELVIEW;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    GLfloat matrices[3][16];
    const GLenum stacks[3] = {GL_MODELVIEW, GL_PROJECTION, GL_TEXTURE};
    const GLenum reads[3] = {GL_MODELVIEW_MATRIX, GL_PROJECTION_MATRIX, GL_TEXTURE_MATRIX};
    for (int i = 0; i < 3; ++i) glGetFloatv(reads[i], matrices[i]);

    glViewport(0, 0, 1, 1);
    musicStartMs = 0;
    demoFrameIo = FrameLoopIo{warmUpTimer, nullptr, nullptr, warmUpPresent, warmUpStop, nullptr};
    for (int i = 0; i < warmUpTimeCount; ++i) {
        warmUpNow = uint32_t(warmUpTime(i));
        warmUpReadings = 0;
        warmUpFramesDone = 0;
        runDemo();
    }
    glFinish();

    for (int i = 0; i < 3; ++i) {
        glMatrixMode(stacks[i]);
        glLoadMatrixf(matrices[i]);
    }
    glMatrixMode(GLenum(mode));
    glPopClientAttrib();
    glPopAttrib();
}

// Texture names the set-ups created; the reload makes new ones.
void deleteLoadedTextures() {
    if (!TextureTable) return;
    std::vector<GLuint> names;
    for (int i = 0; i < textureTableSize; ++i) {
        const TextureSlot& slot = TextureTable[i];
        for (unsigned name : {slot.glTexture, slot.glTexture2}) {
            if (name == 0) continue;
            bool seen = false;
            for (GLuint n : names) seen = seen || n == name;
            if (!seen) names.push_back(name);
        }
    }
    if (!names.empty()) glDeleteTextures(GLsizei(names.size()), names.data());
}

}  // namespace

int loadAllWarmedUp() {
    const LoopGlobals before = saveLoopGlobals();
    // A silent rehearsal: whatever is missing or damaged is reported once, by
    // the real load below, which fails the same way.
    muteReports(true);
    const int loaded = loadAll();
    muteReports(false);
    if (loaded) drawWarmUpFrames();
    deleteLoadedTextures();
    freeAll();
    restoreLoopGlobals(before);
    return loadAll();
}
