#pragma once
#include <cstdint>

// The soundtrack. Its start is the zero of the demo clock.
extern uint32_t musicStream;

// 1 when the stream plays; 0 on any failure (wrong player version, no output
// device, a missing or undecodable file). Sets demo.musicStartMs to the timer
// reading at which the first sample is heard, and returns once it is.
int startMusic(const char* path);
void stopMusic();
// Polled once per frame, before the frame's timer reading: keeps
// demo.musicStartMs on the audio device's own clock.
void queryMusicPosition();
