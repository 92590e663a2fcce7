#include "shell/music.h"

#include <climits>

#include "platform/audio.h"
#include "platform/data_file.h"
#include "platform/data_path.h"
#include "platform/timer.h"
#include "state/demo_state.h"
#include "shell/clock_follow.h"

namespace {
// The soundtrack's stream while it is open; only this file plays it.
uint32_t musicStream = 0;
ClockFollower follower = {};
// The music time the stream last started playing from: what the player says
// it heard first.
uint32_t playedFromMs = 0;

// A device takes its first buffer within one buffer time of being started.
// A sound server plays the first sample once what its sink holds in front of
// it has played out: a sink nobody asked for a short latency may hold up to
// 2 s. One that says nothing for this long is stalled, and the clock runs
// from the estimate.
constexpr uint64_t firstHeardWaitUs = 3000000;
// A sound server's new stream may be heard a second or more after it is
// played (a sink nobody asked for a short latency yet); once it is, a stream
// corked and played again is heard within 20-70 ms. So the music that comes
// back is put where the pictures are twice: when the stream is back, and once
// it is heard, where it is then further off than realignMs.
constexpr uint32_t comebackLeadMs = 50;
constexpr int32_t realignMs = 100;
bool realign = false;

// What the start and a resume share: plays, waits until the first sample is
// heard (fromMs of music), puts the clock's zero there and waits until the
// clock reads fromMs.
void playAndTakeZero(uint32_t fromMs) {
    const uint64_t playUs = readSystemTimerUs();
    audioStreamPlay(musicStream, 0, 4);
    // The zero is the moment the first sample is heard: as the sound server
    // says, or when the device has taken it and played out what it holds in
    // front of it.
    int64_t startUs = int64_t(playUs) + audioOutputLatencyUs();
    while (!audioAudibleStartUs(musicStream, &startUs) &&
           readSystemTimerUs() - playUs < firstHeardWaitUs)
        sleepMicroseconds(1000);
    demo.musicStartMs = musicZeroMs(startUs, fromMs);
    follower = ClockFollower{};
    // The first frame shows music time fromMs, not a moment before the music.
    while (int32_t(readSystemTimer() - demo.musicStartMs) < int32_t(fromMs)) sleepMicroseconds(1000);
}
}  // namespace

int openMusic(const char* path) {
    playedFromMs = 0;
    realign = false;
    if (audioGetVersion() != audioPlayerVersion) return 0;
    if (!audioInit(-1, 44100, 0)) return 0;
    char real[PATH_MAX];
    if (!resolveDataPath(path, real, sizeof real)) return 0;
    // The player opens the file by name: a named pipe there would wait forever.
    const char* kind = nullptr;
    const DataFileStatus status = checkRegularFile(real, &kind);
    if (status != dataFileOk) {
        printDataFileProblem(path, real, status, kind);
        return 0;
    }
    musicStream = audioStreamCreateFile(0, real, 0, 0, 0);
    if (!musicStream) return 0;
    audioStart();
    return 1;
}

int startMusic(const char* path) {
    if (!openMusic(path)) return 0;
    playMusic();
    return 1;
}

int positionMusic(uint32_t fromMs) {
    if (!musicStream || !audioChannelSetPosition(musicStream, fromMs)) return 0;
    playedFromMs = fromMs;
    return 1;
}

void playMusic() { playAndTakeZero(playedFromMs); }

int playMusicFrom(uint32_t fromMs) {
    if (!positionMusic(fromMs)) return 0;
    playMusic();
    return 1;
}

int pauseMusic() { return musicStream ? audioChannelPause(musicStream) : 0; }

void stopMusic() {
    audioFree();
    musicStream = 0;
}

// The sound server came back after it went away: the music plays on from the
// time the pictures show, a little ahead for the stream's own start, and the
// follower closes what is left of the gap as after any start.
void playOnWherePicturesAre(uint32_t now) {
    const int32_t shownMs = int32_t(now - demo.musicStartMs) + int32_t(comebackLeadMs);
    if (positionMusic(uint32_t(shownMs > 0 ? shownMs : 0))) audioStreamPlay(musicStream, 0, 4);
}

// The zero the sound heard asks for; false while nothing is heard. Once, after
// the server came back, music heard far from the pictures is moved to them.
bool heardZero(uint32_t now, uint32_t* zero) {
    int64_t startUs = 0;
    if (!audioAudibleStartUs(musicStream, &startUs)) return false;
    *zero = musicZeroMs(startUs, playedFromMs);
    const int32_t off = int32_t(*zero - demo.musicStartMs);
    if (!realign) return true;
    realign = false;
    if (off < realignMs && off > -realignMs) return true;
    if (audioChannelPause(musicStream)) playOnWherePicturesAre(now);
    return false;
}

uint32_t queryMusicPosition(uint32_t now) {
    if (!musicStream) return demo.musicStartMs;
    if (audioChannelRecover(musicStream)) {
        playOnWherePicturesAre(now);
        realign = true;
    }
    // A stalled device says nothing, and the pictures run on with the timer.
    uint32_t target = demo.musicStartMs;
    if (!heardZero(now, &target)) target = demo.musicStartMs;
    demo.musicStartMs = followMusicStart(&follower, demo.musicStartMs, target, now);
    return demo.musicStartMs;
}
