#pragma once
#include <cstdint>

// The soundtrack decoded whole, on a thread of its own, while the demo plays:
// once it is done a seek moves in memory, where it would otherwise decode
// everything from the file's start up to the new place again (the system's
// codec keeps no index to jump by). The samples are the decoder's own, from
// music sample 0, so a play from any place is the one from the start.
struct DecodedMusic;

// Starts decoding the file at path; null when no thread could start.
DecodedMusic* startDecodingMusic(const char* path);

// The whole music as signed 16-bit stereo frames, once its decode is done;
// null before that, or when the file did not decode to its end.
const int16_t* decodedMusicFrames(DecodedMusic* music, long long* frames);

// Stops the decode if it still runs and frees everything.
void endDecodedMusic(DecodedMusic* music);
