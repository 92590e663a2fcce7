#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cstring>

#include "platform/keys.h"
#include "platform/window.h"
#include "state/demo_state.h"

namespace {
void clearKeys() { std::memset(demo.KeyState, 0, sizeof demo.KeyState); }
}  // namespace

TEST(KeyState, KeepsWindowsVirtualKeyCodes) {
    EXPECT_EQ(virtualKeyFromSdl(SDLK_ESCAPE), 27);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_a), 'A');
    EXPECT_EQ(virtualKeyFromSdl(SDLK_7), '7');
    EXPECT_EQ(virtualKeyFromSdl(SDLK_F1), 112);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_SPACE), 32);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_LEFT), 37);
}

TEST(KeyState, DownRepeatAndUp) {
    clearKeys();
    applyKeyEvent(SDLK_ESCAPE, 1, 0);
    EXPECT_EQ(demo.KeyState[27], 1);
    applyKeyEvent(SDLK_ESCAPE, 1, 0);  // auto-repeat
    EXPECT_EQ(demo.KeyState[27], 1);
    applyKeyEvent(SDLK_ESCAPE, 0, 0);
    EXPECT_EQ(demo.KeyState[27], 0);
}

TEST(KeyState, SystemKeysAreNotRecorded) {
    clearKeys();
    applyKeyEvent(SDLK_ESCAPE, 1, 1);  // with Alt held
    applyKeyEvent(SDLK_F10, 1, 0);
    applyKeyEvent(SDLK_LALT, 1, 0);
    applyKeyEvent(SDLK_x, 1, 1);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(demo.KeyState[i], 0) << "key " << i;
}

// Events travel through the real queue: a key that goes down and up between
// two frames leaves no trace, a held one stays down.
TEST(KeyState, InjectedEventsReachTheTableThroughTheMessagePump) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) GTEST_SKIP() << SDL_GetError();
    clearKeys();
    auto push = [](Uint32 type, SDL_Keycode key, Uint16 mod) {
        SDL_Event e = {};
        e.type = type;
        e.key.keysym.sym = key;
        e.key.keysym.mod = mod;
        e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        ASSERT_EQ(SDL_PushEvent(&e), 1);
    };
    push(SDL_KEYDOWN, SDLK_q, 0);
    push(SDL_KEYUP, SDLK_q, 0);
    push(SDL_KEYDOWN, SDLK_ESCAPE, 0);
    push(SDL_KEYDOWN, SDLK_ESCAPE, 0);
    push(SDL_KEYDOWN, SDLK_w, KMOD_LALT);
    pumpMessages();
    EXPECT_EQ(demo.KeyState['Q'], 0);
    EXPECT_EQ(demo.KeyState[27], 1);
    EXPECT_EQ(demo.KeyState['W'], 0);
    push(SDL_KEYUP, SDLK_ESCAPE, 0);
    pumpMessages();
    EXPECT_EQ(demo.KeyState[27], 0);
    SDL_Quit();
}
