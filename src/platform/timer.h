#pragma once
#include <cstdint>

// The system millisecond timer (wraps at 2^32 like the one the demo was timed on).
uint32_t readSystemTimer();
