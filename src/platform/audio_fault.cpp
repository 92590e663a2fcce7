#include <cstdarg>
#include <cstdio>

#include "platform/audio_output.h"

AudioFault sayAudioFault(AudioFault kind, const char* format, ...) {
    char line[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    std::fprintf(stderr, "audio: %s\n", line);
    return kind;
}

AudioFault audioMoved(bool moved, uint32_t musicMs) {
    return moved ? AudioFault::none
                 : sayAudioFault(AudioFault::stream, "cannot move the music to %u ms", musicMs);
}
