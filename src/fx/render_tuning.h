#pragma once

// Ways of sending the same pictures to GL faster. Each one leaves every pixel
// as it was; they are switches only so that the benchmark can measure them
// against the plain way inside one run, and tests can prove the pixels equal.
struct RenderTuning {
    // Mesh modes and particles send client-side vertex arrays; off, they send
    // every corner with glBegin/glEnd as plain immediate mode.
    int meshArrays;
    // Additive passes whose source alpha is always 1 (RGB pictures, alpha-1
    // colours; fog leaves alpha alone) blend with GL_ONE, GL_ONE: the same sum
    // without multiplying both sides by 1.
    int additiveOne;
    // glFlush between the large passes, so a deferred rasterizer (llvmpipe)
    // starts drawing while the next pass is still being sent.
    int earlyFlush;
};

extern RenderTuning renderTuning;

// All on: the demo's own setting.
void resetRenderTuning();

// Blend function of the additive passes: (GL_SRC_ALPHA, GL_SRC_ALPHA), or
// (GL_ONE, GL_ONE) when the caller guarantees source alpha 1 and additiveOne
// is on.
void blendAdditiveAlphaOne();
// Back to (GL_SRC_ALPHA, GL_SRC_ALPHA), the function the passes leave behind.
void blendAdditiveRestore();
// glFlush when earlyFlush is on.
void flushEarly();
