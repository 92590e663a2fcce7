#pragma once
#include <cstdint>

// What the viewer's keys do to a play on the desktop, as arithmetic on music
// time (the window and the music are play_control's):
//   Space                  pause, and play on from the same moment
//   Left / Right           10 s back (not before the start) / forward
//   Page Up / Page Down    the start of the part before / after the one shown
//   0 to 8 (and keypad)    the start of that part: 0 is the title from the
//                          very start; 9 is no key (part 9 is the demo's last
//                          frame, not a part to watch)
// Escape is not among them: it ends the demo, as it always did.

enum class PlayAction { none, pause, seekBy, toPart, previousPart, nextPart };

struct PlayKey {
    PlayAction action;
    int value;  // milliseconds for seekBy, the part for toPart
};

enum : int { seekStepMs = 10000 };

// The action of a key press (Windows virtual-key code); none for other keys.
PlayKey playKeyFor(int vk);

// Where a seek key takes the play from the music time on screen (nowMs): the
// music time to seek to, or false with the reason when it has nowhere to go
// (a step past the end, no part after the last). The start of a part is its
// first millisecond (part i plays after Timeline[i]).
bool seekTargetMs(const PlayKey& key, int32_t nowMs, uint32_t* targetMs, const char** why);

// The music time a part starts at.
uint32_t partStartTargetMs(int part);
