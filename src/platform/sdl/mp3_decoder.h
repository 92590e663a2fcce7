#pragma once
#include <mpg123.h>

#include <cstddef>
#include <cstdint>

// The MP3 decoder the sound server's and SDL's outputs share (signed 16-bit
// at the file's rate). Opens a file: null, after the line saying why
// (sayAudioFault), when it cannot be opened or its first frame does not
// decode as MP3.
mpg123_handle* openCheckedStream(const char* path, long* rate, int* channels);
void closeDecoder(mpg123_handle* mh);
// Fills out with up to bytes of decoded samples; returns how many. Sets
// *ended once the file is used up (or fails to decode further).
size_t decodeSome(mpg123_handle* mh, unsigned char* out, size_t bytes, bool* ended);
// Moves the decoder to the sample at a music time. False when it cannot.
bool seekDecoder(mpg123_handle* mh, uint32_t musicMs);
