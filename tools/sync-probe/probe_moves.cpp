#include "probe_moves.h"

#include "platform/timer.h"
#include "shell/music.h"

bool makeProbeMove(const std::vector<ProbeMove>& moves, size_t* next, int32_t drawnMs) {
    if (*next >= moves.size() || drawnMs < int32_t(moves[*next].at * 1000)) return false;
    const ProbeMove& m = moves[(*next)++];
    pauseMusic();
    if (!m.seek) sleepMicroseconds(uint32_t(m.value * 1e6));
    playMusicFrom(m.seek ? uint32_t(m.value * 1000 + 0.5) : uint32_t(drawnMs));
    return true;
}
