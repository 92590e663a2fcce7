// One scene, one frame: evaluate, deform, then the passes in their fixed order.
#include "fx/render_scene.h"

#include "fx/deformers.h"
#include "fx/frame_profile.h"
#include "fx/lens_flares.h"
#include "fx/mesh_draw.h"
#include "fx/overlays.h"
#include "fx/particle_sprites.h"
#include "fx/particles.h"
#include "fx/render_tuning.h"
#include "fx/switches.h"
#include "glcalls/gl_calls.h"
#include "scene/evaluate.h"
#include "scene/texture_slot.h"
#include "state/demo_state.h"

void drawOpaqueObjects(Scene* scene) {
    for (int i = 0; i < scene->objectCount; ++i) {
        SceneObject* object = &scene->objects[i];
        if (object->visibility.hidden) continue;
        const TextureSlot& slot = demo.TextureTable[object->textureIndex];
        if (slot.opacity != 0.0f) continue;
        if (slot.flags & textureFlagTwoLayer)
            drawMeshTwoLayer(object);
        else
            drawMeshLit(object);
    }
}

void drawTransparentObjects(Scene* scene) {
    for (int i = 0; i < scene->objectCount; ++i) {
        SceneObject* object = &scene->objects[i];
        if (object->visibility.hidden) continue;
        if (demo.TextureTable[object->textureIndex].opacity != 0.0f) drawMeshTransparent(object);
    }
}

void drawWireframeObjects(Scene* scene) {
    for (int i = 0; i < scene->objectCount; ++i) {
        SceneObject* object = &scene->objects[i];
        if (!object->visibility.hidden) drawMeshWireframe(object);
    }
}

void renderScene(Scene* scene, float time) {
    {
        ComputeSpan span;
        evaluateScene(scene, time);
        runSceneHooks(scene);
        if (demo.sceneWarpEnabled) warpScene(scene, time);
    }

    // The camera's vertical axis already carries the 4:3 stretch, hence aspect 1.
    gl.MatrixMode(GL_MODELVIEW);
    gl.LoadIdentity();
    gl.MatrixMode(GL_PROJECTION);
    gl.LoadIdentity();
    gl.Perspective(scene->camera->fov * 114.59155902616465, 1.0, 1.0, 50000.0);

    // The fog mode stays at GL's default (exponential).
    if (scene->fogDensity != 0.0f) {
        gl.Enable(GL_FOG);
        gl.Fogf(GL_FOG_DENSITY, scene->fogDensity);
        gl.Fogfv(GL_FOG_COLOR, scene->fogColour);
    } else {
        gl.Disable(GL_FOG);
    }

    if (demo.sceneBrightness > 0.0f) drawOpaqueObjects(scene);
    fadeScreen(demo.sceneBrightness);
    drawParticleSprites(scene, scene->camera);
    // Each flush lets a deferred rasterizer fill the pass just sent while the
    // next one is being sent.
    flushEarly();
    // The flares leave their screen projection in force: the transparent and
    // wireframe passes are drawn through it, not through the camera's.
    drawLensFlares(scene);
    flushEarly();
    drawTransparentObjects(scene);
    flushEarly();
    drawWireframeObjects(scene);
    gl.Disable(GL_FOG);
}
