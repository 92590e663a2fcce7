#include "fx/lens_flares.h"

#include <cmath>

#include "fx/overlays.h"
#include "fx/render_tuning.h"
#include "glcalls/gl_calls.h"
#include "state/demo_state.h"

namespace {

void fadeFlareSet(FlareSet* set) {
    const float step = demo.DemoClock.frameStep * set->fadeRate * 10;
    if (set->fadeDir == 0) set->intensity -= step;
    if (set->fadeDir == 1) set->intensity += step;
    if (set->intensity > 1) set->intensity = 1;
    if (set->intensity < 0) set->intensity = 0;
}

void drawFlareSet(const FlareSet* set) {
    // A light in the camera plane has no place on the screen.
    if (!set->source || set->source->z == 0 || !set->lenses) return;

    // Divided by z itself: a light ahead (z < 0) anchors the chain on the
    // opposite side of the screen centre.
    const float sx = set->source->x / set->source->z;
    const float sy = set->source->y / set->source->z;
    float h = 1 - std::sqrt(sx * sx + sy * sy) * set->falloff * 3;
    if (h < 0) h = 0;
    if (h > 1) h = 1;
    const float w = set->intensity * h;

    const float dx = -sx * set->spacing, dy = -sy * set->spacing;
    float x = sx - set->preLight * dx, y = sy - set->preLight * dy;
    for (int j = 0; j < set->lensCount; ++j) {
        const FlareLens& lens = set->lenses[j];
        const float s = lens.size;
        gl.BindTexture(GL_TEXTURE_2D, lens.glTexture);
        gl.Enable(GL_BLEND);
        blendAdditiveAlphaOne();  // the colour below has alpha 1
        gl.DepthMask(GL_FALSE);
        gl.Disable(GL_CULL_FACE);
        gl.Color4f(lens.red * w, lens.green * w, lens.blue * w, 1);
        gl.Begin(GL_QUADS);
        gl.Normal3f(0, 0, 0);
        gl.TexCoord2f(0, 0);
        gl.Vertex3f(x - s, y - s, -1);
        gl.TexCoord2f(1, 0);
        gl.Vertex3f(x + s, y - s, -1);
        gl.TexCoord2f(1, 1);
        gl.Vertex3f(x + s, y + s, -1);
        gl.TexCoord2f(0, 1);
        gl.Vertex3f(x - s, y + s, -1);
        gl.End();
        x += dx;
        y += dy;
    }
    if (set->lensCount > 0) blendAdditiveRestore();
}

}  // namespace

void drawLensFlares(Scene* scene) {
    setScreenProjection();
    for (int i = 0; i < scene->flareSetCount; ++i) {
        FlareSet* set = &scene->flareSets[i];
        fadeFlareSet(set);
        drawFlareSet(set);
    }
}
