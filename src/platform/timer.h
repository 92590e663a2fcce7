#pragma once
#include <cstdint>

// The system millisecond timer (wraps at 2^32 like the one the demo was timed on).
uint32_t readSystemTimer();

// The same clock in microseconds, without the wrap (readSystemTimer is this
// divided by 1000, truncated to 32 bits).
uint64_t readSystemTimerUs();

// Sleeps for about that long.
void sleepMicroseconds(uint32_t us);
