#include "platform/timer.h"

#include <cmath>

#include <emscripten.h>

#include "platform/web/page_bridge.h"

uint32_t readSystemTimer() {
    // The page's clock in whole milliseconds, wrapping like the desktop timer.
    const double ms = std::floor(pageClockMs());
    return uint32_t(uint64_t(int64_t(ms)));
}

uint64_t readSystemTimerUs() { return uint64_t(int64_t(std::floor(pageClockMs() * 1000.0))); }

// Sleeping hands the browser its turn (the program runs asyncified).
void sleepMicroseconds(uint32_t us) { emscripten_sleep(us / 1000u); }
