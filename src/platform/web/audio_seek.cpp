// Pause and seek are not in this backend's player yet: it says so, and the
// demo leaves its pause and seek keys alone here.
#include "platform/audio.h"

int audioChannelPause(uint32_t /*stream*/) { return 0; }

int audioChannelSetPosition(uint32_t /*stream*/, uint32_t /*musicMs*/) { return 0; }
