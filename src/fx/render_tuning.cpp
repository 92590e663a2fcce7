#include "fx/render_tuning.h"

#include "glcalls/gl_calls.h"

RenderTuning renderTuning = {1, 1, 1};

void resetRenderTuning() { renderTuning = RenderTuning{1, 1, 1}; }

void blendAdditiveAlphaOne() {
    if (renderTuning.additiveOne)
        gl.BlendFunc(GL_ONE, GL_ONE);
    else
        gl.BlendFunc(GL_SRC_ALPHA, GL_SRC_ALPHA);
}

void blendAdditiveRestore() { gl.BlendFunc(GL_SRC_ALPHA, GL_SRC_ALPHA); }

void flushEarly() {
    if (renderTuning.earlyFlush) gl.Flush();
}
