#pragma once

// How far the device's reported played position runs ahead of what is heard,
// in microseconds: what the clock adds to the position's answer. Windows
// reports the sample at the speaker; Wine's sound drivers report it about
// 80 ms early (measured against the recorded output: tests/win32).
int outputLeadUs();

// True when the program runs under Wine.
bool runningUnderWine();
