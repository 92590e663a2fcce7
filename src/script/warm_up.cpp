#include "script/warm_up.h"

#include <GL/gl.h>

#include <vector>

#include "scene/texture_slot.h"
#include "script/demo_moment.h"
#include "script/frame_loop.h"
#include "script/setup.h"
#include "script/timeline.h"
#include "state/demo_state.h"

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

// One frame at a time through the frame loop: the clock reads t - 16 before
// the frame and t for it, so every warm-up frame has an ordinary step.
struct WarmUpClock {
    uint32_t now;
    int readings;
    int framesDone;
};

uint32_t warmUpTimer(void* user) {
    WarmUpClock* clock = static_cast<WarmUpClock*>(user);
    return clock->readings++ == 0 ? clock->now - 16 : clock->now;
}
void warmUpPresent(void* user) { ++static_cast<WarmUpClock*>(user)->framesDone; }
int warmUpDone(void* user) { return static_cast<WarmUpClock*>(user)->framesDone > 0; }

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
    demo.musicStartMs = 0;
    WarmUpClock clock = {};
    const FrameLoopIo io = {.readTimer = warmUpTimer, .presentFrame = warmUpPresent,
                            .callerDone = warmUpDone, .user = &clock};
    for (int i = 0; i < warmUpTimeCount; ++i) {
        clock = WarmUpClock{uint32_t(warmUpTime(i)), 0, 0};
        runDemo(io);
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

}  // namespace

void deleteLoadedTextures() {
    if (!demo.TextureTable) return;
    std::vector<GLuint> names;
    for (int i = 0; i < textureTableSize; ++i) {
        const TextureSlot& slot = demo.TextureTable[i];
        for (unsigned name : {slot.glTexture, slot.glTexture2}) {
            if (name == 0) continue;
            bool seen = false;
            for (GLuint n : names) seen = seen || n == name;
            if (!seen) names.push_back(name);
        }
    }
    if (!names.empty()) glDeleteTextures(GLsizei(names.size()), names.data());
}

int loadAllWarmedUp() {
    if (!loadAll()) return 0;
    // Everything the rehearsal changes is the demo's changing memory, which
    // goes back as it was loaded.
    DemoMoment loaded;
    keepMoment(&loaded);
    drawWarmUpFrames();
    putMomentBack(loaded);
    return 1;
}
