#pragma once
#include <cstdint>

// A small streaming MP3 player with the calls the music start-up relies on:
// the stream is decoded while it plays, on the audio device's own thread.
// Written once (platform/audio_player.cpp) over the outputs a backend lists
// (audio_output.h); failures are said on stderr as that header describes.
//
// The calls keep the shape the demo's start-up was written against, and the
// start-up relies on it: it checks the version answer (audioPlayerVersion),
// opens device -1 at 44100 Hz, creates the stream from a file with in-memory
// 0, offset 0, length 0 and flags 0, and plays it with flush 0 and flags 4
// (it once polled the position every frame without reading the answer; that
// poll, which cost a lock on the sound server's loop, is gone). Arguments that
// only say what the start-up always says (device, flags, in-memory, offset,
// length, flush) are taken and not used by any output.

enum : uint32_t { audioPlayerVersion = 0x80000 };

uint32_t audioGetVersion();
// Opens the default output (device -1) at the given rate. 0 on failure (no device).
int audioInit(int device, int frequency, int flags);
// Opens an MP3 file (a real path) as the one stream. 0 when it cannot be opened
// or does not decode as MP3; otherwise a non-zero handle.
uint32_t audioStreamCreateFile(int inMemory, const char* path, uint64_t offset,
                               uint64_t length, int flags);
// Whether a file (a real path) would open as the stream, without a device:
// the same test and the same message as audioStreamCreateFile. 1 or 0.
int audioCheckStreamFile(const char* path);
int audioStart();
// Starts the stream playing (flags passed through).
int audioStreamPlay(uint32_t stream, int flush, int flags);
// Bytes of decoded output played so far.
uint64_t audioChannelGetPosition(uint32_t stream);
// The system timer reading, in microseconds, at which the stream's first
// sample was heard (after a new position, the sample at that position): from
// what the sound server says is being heard, or, on a device without such
// timing, from its recent buffer hand-overs and what it holds in front of
// them. 0 while nothing was heard yet, or while the device is stalled or gone.
int audioAudibleStartUs(uint32_t stream, int64_t* startUs);
// Pause and seek. audioChannelPause silences the stream at once, where it is;
// audioChannelSetPosition, while paused or before the first play, chooses the
// music time (milliseconds from the file's start) the next audioStreamPlay
// starts from. Both 1 when done; 0 where the player cannot (a backend without
// them answers 0 and the demo leaves its pause and seek keys alone).
int audioChannelPause(uint32_t stream);
int audioChannelSetPosition(uint32_t stream, uint32_t musicMs);
// Where the output lost its sound server while playing (it said so on
// stderr): tries, without blocking, to get it back. 1 once the stream is back,
// paused: the caller then sets the position and plays it, as after a pause.
int audioChannelRecover(uint32_t stream);
// What the device holds in front of a buffer it takes, in microseconds
// (0 where the observer below is told the frames heard).
int audioOutputLatencyUs();
// The device's sample rate (0 without a device).
int audioOutputRate();
// Which output plays: "pulseaudio" (the sound server), "sdl" (SDL's audio
// driver), "waveout" (Windows' own), or "" before the device is opened.
const char* audioOutputName();
// Called on the audio thread at every buffer the device takes (the system
// timer in microseconds and the stream frames taken before it), or, on a sound
// server, at every timing report (the time and the stream frames heard then).
// For measurements; null to stop.
typedef void (*AudioHandOverFn)(uint64_t timeUs, uint64_t framesBefore);
void audioSetHandOverObserver(AudioHandOverFn fn);

// Stops and releases everything.
int audioFree();

// Checks that bytes in memory open and decode as an MP3 stream; returns the
// number of decoded samples per channel of the first second (0: not MP3).
long audioProbeBytes(const unsigned char* data, long size);

// Total decoded length of an MP3 file in samples per channel (gapless), and its
// rate; -1 when it cannot be decoded.
long long audioDecodedLength(const char* path, long* rate, int* channels);
