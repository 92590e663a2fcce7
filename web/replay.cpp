#include "replay.h"

#include <GL/gl.h>

#include <cstring>
#include <vector>

#include "fx/frame_profile.h"
#include "fx/switches.h"
#include "math/demo_clock.h"
#include "math/random.h"
#include "platform/keys.h"
#include "platform/web/web_present.h"
#include "scene/texture_slot.h"
#include "script/frame_loop.h"
#include "script/parts.h"
#include "script/setup.h"

namespace {

// What the frames write and loading does not set, as the program starts.
struct PlayStart {
    DemoClockRecord clock;
    int partMs;
    uint32_t random;
    double frameCpuSeconds;
};
PlayStart playStart = {};

// The texture names the set-ups made; loading again makes new ones.
void deleteLoadedTextures() {
    if (!TextureTable) return;
    std::vector<GLuint> names;
    for (int i = 0; i < textureTableSize; ++i)
        for (unsigned name : {TextureTable[i].glTexture, TextureTable[i].glTexture2}) {
            bool seen = name == 0;
            for (GLuint n : names) seen = seen || n == name;
            if (!seen) names.push_back(name);
        }
    if (!names.empty()) glDeleteTextures(GLsizei(names.size()), names.data());
}

}  // namespace

void keepPlayStart() { playStart = PlayStart{DemoClock, partMs, randomState(), frameCpuSeconds}; }

int restartPlay() {
    deleteLoadedTextures();
    freeAll();
    DemoClock = playStart.clock;
    partMs = playStart.partMs;
    resetRandom(playStart.random);
    frameCpuSeconds = playStart.frameCpuSeconds;
    musicStartMs = 0;
    resetSceneSwitches();
    std::memset(KeyState, 0, sizeof KeyState);
    resetWindowState();
    return loadAll();
}
