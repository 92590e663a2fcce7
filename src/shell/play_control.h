#pragma once

// The desktop's play with the viewer's keys (shell/play_keys.h): Space
// pauses the pictures and the music together and plays both on from the
// same moment; Left, Right, Page Up, Page Down and the number keys seek. A
// seek draws the frame the capture draws at the time sought (seek_replay.h)
// and the music plays on from there; the clock then follows the sound heard
// as it does from the start. Escape ends the play at once, paused or while a
// seek plays the timeline forward; a close ends the process as always.
//
// Presses are taken one per key going down: a held key acts once. Keys
// pressed while loading and while a seek is under way are dropped. Where the
// player cannot pause or seek (audioChannelPause answers 0) the keys say so
// once and do nothing. Each action prints one line on standard output, with
// the time a seek took.

// Plays from the start, or from `startFrame` of the 60 fps fixed-step clock
// (its frame drawn after playing the timeline up to it, then shown as the
// music reaches it), until the timeline ends or Escape. The music is started
// here (with `musicPath`) and left for the caller to stop. 0 when the music
// cannot start (nothing reported yet); 1 otherwise.
int playWithKeys(const char* musicPath, long startFrame);
