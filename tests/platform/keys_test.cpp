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

// Pause and seek act on presses: one per key going down, however long it is
// held, and a tap between two frames is not lost.
TEST(KeyPresses, OnePerKeyGoingDownInOrderAutoRepeatAndSystemKeysAside) {
    clearKeys();
    clearKeyPresses();
    EXPECT_EQ(takeKeyPress(), -1);
    applyKeyEvent(SDLK_RIGHT, 1, 0);
    applyKeyEvent(SDLK_RIGHT, 1, 0);  // auto-repeat
    applyKeyEvent(SDLK_RIGHT, 1, 0);
    applyKeyEvent(SDLK_SPACE, 1, 0);
    applyKeyEvent(SDLK_SPACE, 0, 0);
    applyKeyEvent(SDLK_LEFT, 1, 1);  // with Alt: a system key
    applyKeyEvent(SDLK_RIGHT, 0, 0);
    applyKeyEvent(SDLK_RIGHT, 1, 0);  // pressed again
    EXPECT_EQ(takeKeyPress(), 39);
    EXPECT_EQ(takeKeyPress(), 32);
    EXPECT_EQ(takeKeyPress(), 39);
    EXPECT_EQ(takeKeyPress(), -1);

    // A burst beyond what is kept loses the latest, not the earliest.
    clearKeys();
    for (int i = 0; i < keyPressesKept + 5; ++i) {
        applyVirtualKey('A' + i % 20, 1, 0);
        applyVirtualKey('A' + i % 20, 0, 0);
    }
    for (int i = 0; i < keyPressesKept; ++i) EXPECT_EQ(takeKeyPress(), 'A' + i % 20);
    EXPECT_EQ(takeKeyPress(), -1);
    applyVirtualKey(' ', 1, 0);
    clearKeyPresses();
    EXPECT_EQ(takeKeyPress(), -1);
    clearKeys();
}

TEST(KeyPresses, ThePlayKeysHaveTheirWindowsCodes) {
    EXPECT_EQ(virtualKeyFromSdl(SDLK_PAGEUP), 33);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_PAGEDOWN), 34);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_RIGHT), 39);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_0), '0');
    EXPECT_EQ(virtualKeyFromSdl(SDLK_9), '9');
    EXPECT_EQ(virtualKeyFromSdl(SDLK_KP_0), 96);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_KP_9), 105);
}

TEST(KeyPresses, ATapBetweenTwoFramesIsStillOnePress) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) GTEST_SKIP() << SDL_GetError();
    clearKeys();
    clearKeyPresses();
    SDL_Event e = {};
    for (Uint32 type : {Uint32(SDL_KEYDOWN), Uint32(SDL_KEYUP)}) {
        e.type = type;
        e.key.keysym.sym = SDLK_PAGEDOWN;
        e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        ASSERT_EQ(SDL_PushEvent(&e), 1);
    }
    pumpMessages();
    EXPECT_EQ(demo.KeyState[34], 0);
    EXPECT_EQ(takeKeyPress(), 34);
    EXPECT_EQ(takeKeyPress(), -1);
    SDL_Quit();
}
