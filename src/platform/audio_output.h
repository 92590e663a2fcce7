#pragma once
#include <cstdint>

#include "platform/audio.h"

// One way of getting the decoded stream to the listener: the sound server,
// SDL's audio, waveOut, the page's audio context. The player (audio.h) is
// written once over this table; a backend lists the outputs it has, in the
// order they are tried (backendAudioOutputs).
//
// Failures, in the whole audio layer, follow one convention: the call that
// fails says why on stderr, once, in one line that starts "audio: "
// (sayAudioFault), and answers what kind of failure it was. An output's
// failure sends the player on to the next output; a stream's (the file does
// not open or decode) ends there, since every output would refuse it alike.
enum class AudioFault { none, output, stream };

// Prints "audio: " and the formatted reason on one line; returns kind.
AudioFault sayAudioFault(AudioFault kind, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
// What a new position answers: done, or the stream's fault, said.
AudioFault audioMoved(bool moved, uint32_t musicMs);

// Every call gets the output's `user` back. A null pause or setPosition: the
// output cannot (the demo leaves its pause and seek keys alone); a null
// recover: the output is never lost once open.
struct AudioOutput {
    const char* name;  // what audioOutputName answers
    void* user;
    // Opens the output at the given rate.
    AudioFault (*open)(void* user, int frequency);
    // Opens an MP3 file (a real path) as the one stream, ready to play.
    AudioFault (*openStream)(void* user, const char* path);
    AudioFault (*play)(void* user);  // from the start, or from the position set
    AudioFault (*pause)(void* user);  // silent at once
    AudioFault (*setPosition)(void* user, uint32_t musicMs);  // paused or before the first play
    // Where the output lost its device or server while playing: tries, without
    // blocking, to get it back; true once the stream is back and waits, paused,
    // for a position and a play.
    bool (*recover)(void* user);
    uint64_t (*position)(void* user);  // decoded bytes played so far
    bool (*audibleStartUs)(void* user, int64_t* startUs);
    int (*latencyUs)(void* user);
    int (*rate)(void* user);
    void (*setObserver)(void* user, AudioHandOverFn fn);
    void (*close)(void* user);  // releases the stream and the output; safe when not open
};

// The backend's outputs in the order the player tries them; how many (at most
// capacity).
int backendAudioOutputs(const AudioOutput* outputs[], int capacity);
