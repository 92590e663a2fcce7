#pragma once
#include <mpg123.h>

#include <cstddef>
#include <cstdint>

#include "platform/audio.h"

// One way of getting the decoded stream to the listener. The player picks one
// when it opens the device: the sound server where one answers, SDL's audio
// (ALSA, disk, dummy, ...) otherwise.
struct AudioOutput {
    const char* name;
    // Opens the output at the given rate: 1 when it answers.
    int (*open)(int frequency);
    // Takes the decoder (the file's own rate and channels) as the one stream.
    int (*openStream)(mpg123_handle* decoder, long rate, int channels);
    int (*play)();   // from the start, or after pause from the position set
    int (*pause)();  // silent at once
    int (*setPosition)(uint32_t musicMs);  // while paused or before the first play
    uint64_t (*position)();  // decoded bytes played so far
    int (*audibleStartUs)(int64_t* startUs);
    int (*latencyUs)();
    int (*rate)();
    void (*setObserver)(AudioHandOverFn fn);
    void (*close)();  // releases the stream and the output
};

extern const AudioOutput sdlAudioOutput;
extern const AudioOutput pulseAudioOutput;

// The MP3 decoder, shared by the outputs (signed 16-bit at the file's rate).
// Opens a file: null, after a line saying why, when it cannot be opened or
// its first frame does not decode as MP3.
mpg123_handle* openCheckedStream(const char* path, long* rate, int* channels);
void closeDecoder(mpg123_handle* mh);
// Fills out with up to bytes of decoded samples; returns how many. Sets
// *ended once the file is used up (or fails to decode further).
size_t decodeSome(mpg123_handle* mh, unsigned char* out, size_t bytes, bool* ended);
// Moves the decoder to the sample at a music time. False when it cannot.
bool seekDecoder(mpg123_handle* mh, uint32_t musicMs);
