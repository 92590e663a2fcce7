#include "script/history_only.h"

#include <GL/gl.h>

#include "fx/render_tuning.h"

// GL 3.0's switch; the older headers of some platforms lack its name.
#ifndef GL_RASTERIZER_DISCARD
#define GL_RASTERIZER_DISCARD 0x8C89
#endif

namespace {
int flushSetting = -1;  // the setting put aside while on (-1: off)
}  // namespace

void playForHistoryOnly(bool on) {
    if (on) {
        glEnable(GL_RASTERIZER_DISCARD);
        if (flushSetting < 0) flushSetting = renderTuning.earlyFlush;
        renderTuning.earlyFlush = 0;
    } else {
        glDisable(GL_RASTERIZER_DISCARD);
        if (flushSetting >= 0) renderTuning.earlyFlush = flushSetting;
        flushSetting = -1;
    }
}
