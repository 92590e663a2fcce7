#pragma once
#include <cstdint>

// The soundtrack. Its start is the zero of the demo clock.

// 1 when the stream plays; 0 on any failure (wrong player version, no output
// device, a missing or undecodable file). Sets demo.musicStartMs to the timer
// reading at which the first sample is heard, and returns once it is.
int startMusic(const char* path);
void stopMusic();

// startMusic in steps, for a start later in the music: the player and the
// stream made ready (1, or 0 as startMusic fails); where the next play starts
// (a music time in milliseconds; 0 where the player cannot start there);
// the play. The clock's zero is put where time 0 would have been heard had
// the music played through, so that the clock reads the position when its
// sample is heard and follows the sound from then on as from the start;
// playMusic returns once the clock reads the position.
int openMusic(const char* path);
int positionMusic(uint32_t fromMs);
void playMusic();
// positionMusic and playMusic, after openMusic or pauseMusic.
int playMusicFrom(uint32_t fromMs);
// A pause or a seek: the music silent at once, where it is. 0 where the
// player cannot pause (the caller then leaves pauses and seeks alone).
int pauseMusic();
// Polled once per frame with the frame's own timer reading: keeps the clock's
// zero (demo.musicStartMs) on the audio device's own clock, and plays the
// music on where the pictures are when a sound server that went away is back.
// Returns the zero. A zero moved later never takes more music time than the
// timer moved since the previous frame's reading, so the music time a frame is
// drawn at (now - zero) never goes back.
uint32_t queryMusicPosition(uint32_t now);
