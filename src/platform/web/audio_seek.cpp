// Pause and seek of the page's player: the page stops the music's source
// where it is and starts a new one from the music time chosen at the next
// play (web/page.js, audioPause, audioSetPosition and audioPlay).
#include <emscripten.h>

#include "platform/audio.h"

namespace {

EM_JS(int, webAudioPause, (), {
    return Module.page.audioPause() ? 1 : 0;
});

EM_JS(int, webAudioSetPosition, (double seconds), {
    return Module.page.audioSetPosition(seconds) ? 1 : 0;
});

}  // namespace

int audioChannelPause(uint32_t stream) { return stream != 0 && webAudioPause() != 0 ? 1 : 0; }

int audioChannelSetPosition(uint32_t stream, uint32_t musicMs) {
    return stream != 0 && webAudioSetPosition(double(musicMs) / 1000.0) != 0 ? 1 : 0;
}
