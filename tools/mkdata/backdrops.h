#pragma once
// Full-screen pictures shown on their own.
#include "canvas.h"

bool drawJesus(Canvas& c);        // robed figure, arms spread, in rays of light
bool drawFishPicture(Canvas& c);  // a striped fish in sunlit water
