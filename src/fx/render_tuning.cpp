#include "fx/render_tuning.h"

#include <GL/gl.h>

RenderTuning renderTuning = {1, 1, 1};

void resetRenderTuning() { renderTuning = RenderTuning{1, 1, 1}; }

void blendAdditiveAlphaOne() {
    if (renderTuning.additiveOne)
        glBlendFunc(GL_ONE, GL_ONE);
    else
        glBlendFunc(GL_SRC_ALPHA, GL_SRC_ALPHA);
}

void blendAdditiveRestore() { glBlendFunc(GL_SRC_ALPHA, GL_SRC_ALPHA); }

void flushEarly() {
    if (renderTuning.earlyFlush) glFlush();
}
