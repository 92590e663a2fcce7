#pragma once

// How far the device's reported played position runs ahead of what is heard,
// in microseconds: what the clock adds to the position's answer. Windows
// reports the sample at the speaker; Wine 8 over PulseAudio reports it about
// 90 ms early (67-97 ms against the wall clock; 89-100 ms against the
// recorded output in the stretches without a break: tests/win32).
int outputLeadUs();

// True when the program runs under Wine.
bool runningUnderWine();
