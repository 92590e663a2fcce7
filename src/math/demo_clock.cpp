#include "math/demo_clock.h"

DemoClockRecord DemoClock = {0.0f, 0.0f, 1.0f};
