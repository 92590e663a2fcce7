#include "platform/timer.h"

#include <cmath>

#include "platform/web/page_bridge.h"

uint32_t readSystemTimer() {
    // The page's clock in whole milliseconds, wrapping like the desktop timer.
    const double ms = std::floor(pageClockMs());
    return uint32_t(uint64_t(int64_t(ms)));
}
