// The page's audio context is never lost the way a sound server is: nothing
// to get back.
#include "platform/audio.h"

int audioChannelRecover(uint32_t /*stream*/) { return 0; }
