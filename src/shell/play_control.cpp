#include "shell/play_control.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>

#include "platform/keys.h"
#include "platform/timer.h"
#include "platform/window.h"
#include "script/frame_loop.h"
#include "script/timeline.h"
#include "shell/music.h"
#include "shell/play_keys.h"
#include "shell/seek_ahead.h"
#include "shell/seek_replay.h"
#include "state/demo_state.h"

namespace {

// How often a paused play looks at its keys.
enum : uint32_t { pausedPollUs = 10000 };

struct Play {
    SeekCache seeks;
    SeekAhead ahead;          // the copy keeping moments ahead, where there is one
    uint32_t reading = 0;     // the timer reading of the frame drawn last
    uint32_t musicStart = 0;  // the clock's zero for that frame
    int32_t shownMs = 0;      // the music time on screen
    bool firstPump = true;    // the presses it brings were made while loading
    bool stillPlayer = false; // the player said it cannot pause
    bool escaped = false;     // Escape pressed while paused or seeking
    PlayKey pending = {PlayAction::none, 0};
};

// One line on standard output, at once.
void say(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
    std::fflush(stdout);
}

double seconds(int32_t ms) { return double(ms) / 1000.0; }

bool escapeDown() { return demo.KeyState[vkEscape] != 0; }

// Outside the frames, keys are looked at less often than a quick tap lasts:
// there an Escape pressed counts as well as one held. The other presses are
// dropped (a seek under way takes none).
bool escapeAmongPresses() {
    bool escape = false;
    for (int vk = takeKeyPress(); vk >= 0; vk = takeKeyPress()) escape = escape || vk == vkEscape;
    return escape;
}

// The frame loop's world: the system timer, the window, the music, and the
// keys that stop it for a pause or a seek after the frame they came in.
uint32_t playTimer(void* user) {
    Play* p = static_cast<Play*>(user);
    p->reading = readSystemTimer();
    return p->reading;
}

void playPump(void* user) {
    Play* p = static_cast<Play*>(user);
    pumpMessages();
    takeMomentsKept(&p->ahead, &p->seeks, 0);
    if (p->firstPump) {
        p->firstPump = false;
        clearKeyPresses();
        return;
    }
    // The first play key of the frame; a second one would come during the
    // first one's action, and is dropped with it.
    for (int vk = takeKeyPress(); vk >= 0; vk = takeKeyPress())
        if (p->pending.action == PlayAction::none) p->pending = playKeyFor(vk);
}

uint32_t playFollow(void* user, uint32_t now) {
    Play* p = static_cast<Play*>(user);
    p->musicStart = queryMusicPosition(now);
    return p->musicStart;
}

void playPresent(void* user) {
    Play* p = static_cast<Play*>(user);
    presentDemoWindow();
    p->shownMs = int32_t(p->reading - p->musicStart);
}

int playEscape(void*) { return escapeDown() ? 1 : 0; }

int playKeyPending(void* user) {
    return static_cast<Play*>(user)->pending.action != PlayAction::none ? 1 : 0;
}

// A long replay keeps the window answering: a close ends the process from
// the pump, Escape abandons the seek.
bool keepSeeking(void* user) {
    Play* p = static_cast<Play*>(user);
    pumpMessages();
    if (escapeAmongPresses()) p->escaped = true;
    return !p->escaped && !escapeDown();
}

// Draws `frame` as a seek does, once the copy playing ahead (where one runs)
// has kept the moment before it. False when Escape ended the play meanwhile.
bool drawFrameSought(Play* p, long frame) {
    const SeekWatch watch{keepSeeking, p};
    if (!awaitMomentsBefore(&p->ahead, &p->seeks, frame, watch)) return false;
    const bool drawn = drawSeekFrame(&p->seeks, frame, watch);
    seekingAheadAgain(&p->ahead, &p->seeks);
    return drawn;
}

// The music silent for a pause or a seek; false where the player cannot.
bool silence(Play* p) {
    if (p->stillPlayer) return false;
    if (pauseMusic()) return true;
    p->stillPlayer = true;
    say("pause and seek: this audio output cannot pause; the keys do nothing here\n");
    return false;
}

// Draws the frame at the key's target. Paused, it is shown at once and the
// play stays paused; playing, the music plays on from its time and it is
// shown as that is heard. False when Escape ended the play meanwhile.
bool seek(Play* p, const PlayKey& key, bool paused) {
    uint32_t target = 0;
    const char* why = "";
    if (!seekTargetMs(key, p->shownMs, &target, &why)) {
        say("no seek from %.3f s: %s\n", seconds(p->shownMs), why);
        return true;
    }
    if (!paused && !silence(p)) return true;
    const uint64_t begun = readSystemTimerUs();
    const long frame = seekFrameAtMs(target);
    if (!drawFrameSought(p, frame)) return false;
    // What was pressed while the timeline played forward is dropped.
    if (!keepSeeking(p)) return false;
    p->shownMs = int32_t(seekFrameMs(frame));
    const uint64_t drawn = readSystemTimerUs();
    if (!paused) playMusicFrom(uint32_t(p->shownMs));
    presentDemoWindow();
    const uint64_t shown = readSystemTimerUs();
    say("seek to %.3f s: %.3f s (the frame %.3f s, the music %.3f s)\n", seconds(p->shownMs),
        double(shown - begun) / 1e6, double(drawn - begun) / 1e6, double(shown - drawn) / 1e6);
    return true;
}

// Holds the picture and the music until Space, seeking where asked. False
// when Escape ended the play.
bool holdPaused(Play* p) {
    if (!silence(p)) return true;
    say("paused at %.3f s\n", seconds(p->shownMs));
    for (;;) {
        pumpMessages();
        takeMomentsKept(&p->ahead, &p->seeks, 0);
        const int vk = takeKeyPress();
        if (escapeDown() || vk == vkEscape) return false;
        const PlayKey key = playKeyFor(vk);
        if (key.action == PlayAction::pause) break;
        if (key.action != PlayAction::none && !seek(p, key, true)) return false;
        if (vk < 0) sleepMicroseconds(pausedPollUs);
    }
    playMusicFrom(uint32_t(p->shownMs));
    say("playing from %.3f s\n", seconds(p->shownMs));
    return true;
}

// Frames until the end, Escape, or a key; then the key's action.
void playOn(Play* p) {
    const FrameLoopIo io = {.readTimer = playTimer,
                            .pumpMessages = playPump,
                            .musicStart = playFollow,
                            .presentFrame = playPresent,
                            .escapeHeld = playEscape,
                            .callerDone = playKeyPending,
                            .user = p};
    for (;;) {
        p->pending = PlayKey{PlayAction::none, 0};
        runDemo(io);
        if (escapeDown() || p->shownMs > timelineEndMs) return;
        const PlayKey key = p->pending;
        if (key.action == PlayAction::none) return;
        const bool goOn = key.action == PlayAction::pause ? holdPaused(p) : seek(p, key, false);
        if (!goOn) return;
    }
}

int playFrom(Play* play, const char* musicPath, long startFrame) {
    if (startFrame <= 0) {
        if (!startMusic(musicPath)) return 0;
    } else {
        if (!openMusic(musicPath)) return 0;
        const uint32_t from = seekFrameMs(startFrame);
        if (!positionMusic(from)) {
            std::fprintf(stderr, "this audio output cannot start the music at %.3f s: the demo "
                                 "plays from the start\n",
                         seconds(int32_t(from)));
            playMusic();
        } else {
            if (!drawFrameSought(play, startFrame)) return 1;
            play->shownMs = int32_t(from);
            playMusic();
            presentDemoWindow();
        }
    }
    playOn(play);
    return 1;
}

}  // namespace

int playWithKeys(const char* musicPath, long startFrame) {
    Play play;
    // The start as loading left it: the way back for every seek; the moments
    // after it are kept ahead in the background where the platform can.
    prepareSeeking(&play.seeks);
    startSeekingAhead(&play.ahead, &play.seeks);
    const int result = playFrom(&play, musicPath, startFrame);
    stopSeekingAhead(&play.ahead);
    releaseSeeking(&play.seeks);
    return result;
}
