#pragma once
#include <cstdint>

#include "platform/win32/mp3_layout.h"

struct Mp3DecoderState;

// An MP3 file decoded by the system's MPEG Layer-3 codec (through the audio
// compression manager), frame by frame as the samples are asked for, to
// signed 16-bit stereo. The codec's leading samples (the encoder's header
// frame, its delay and the codec's own) are dropped, so sample 0 is the
// music's first; with LAME's tag the end padding is dropped too.
struct Mp3Decoder {
    Mp3DecoderState* state;
    Mp3Layout layout;
};

// Reads the whole file (it is small beside its decoded form) and opens the
// codec. False with a line on stderr saying why: "audio: cannot open PATH" or
// "audio: PATH does not decode as MP3".
bool openMp3File(Mp3Decoder* decoder, const char* path);
// The same for bytes in memory (copied); quiet.
bool openMp3Bytes(Mp3Decoder* decoder, const unsigned char* data, long size);

// Up to frames stereo frames into out; fewer only at the end (0 there).
int readMp3Frames(Mp3Decoder* decoder, int16_t* out, int frames);

// Moves to music sample `sample` (per channel): the codec starts again from
// the file's first frame and what comes before the sample is decoded and
// dropped, so the samples from there are the ones a play from the start gives
// (the codec keeps no index to jump by). False past the music's end.
bool seekMp3(Mp3Decoder* decoder, long long sample);

void closeMp3(Mp3Decoder* decoder);
