#include "script/history_only.h"

#include "glcalls/gl_calls.h"

void playForHistoryOnly(bool on) {
    if (glCallMode() == GlCallMode::none) return;
    setGlCallMode(on ? GlCallMode::historyOnly : GlCallMode::drawing);
}

void playWithoutGl() { setGlCallMode(GlCallMode::none); }
