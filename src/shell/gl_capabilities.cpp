// Kept for the start-up's shape: see gl_capabilities.h. Not a check of the
// driver.
#include "shell/gl_capabilities.h"

bool checkMultiTexture() { return true; }
