#pragma once

// How far the device's reported played position runs ahead of what is heard,
// in microseconds: what the clock adds to the position's answer. Windows
// reports the sample at the speaker. Wine 8 reports the frames handed to its
// own buffer in front of the sound server, about 100 ms ahead of the sound;
// against the clicks recorded from the server's monitor, dated by the chunks
// near each (tests/win32), the lead came out between 85 and 103 ms, differing
// from one start to the next by about Wine's 10 ms period and the server's
// buffer: the middle of that range is taken. After a play from a new position
// the start is then held to the play's moment (restart_anchor.h), which takes
// that difference away.
int outputLeadUs();

// True when the program runs under Wine.
bool runningUnderWine();
