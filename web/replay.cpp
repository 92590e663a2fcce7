#include "replay.h"

#include <cstring>

#include "platform/web/web_present.h"
#include "script/setup.h"
#include "script/warm_up.h"
#include "state/demo_state.h"

int restartPlay() {
    deleteLoadedTextures();
    freeAll();
    // Loading makes the record anew (clock, random sequence, switches); the
    // keys it keeps, and the Escape that ended the last play is still down.
    std::memset(demo.KeyState, 0, sizeof demo.KeyState);
    resetWindowState();
    return loadAll();
}
