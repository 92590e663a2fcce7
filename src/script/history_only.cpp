#include "script/history_only.h"

#include "glcalls/gl_calls.h"
#include "scene/evaluate.h"

void playForHistoryOnly(bool on) {
    if (glCallMode() == GlCallMode::none) return;
    setGlCallMode(on ? GlCallMode::historyOnly : GlCallMode::drawing);
    evaluateVertices(!on);
}

void playWithoutGl() {
    setGlCallMode(GlCallMode::none);
    evaluateVertices(false);
}
