#include "drawable_limit.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include "drawable_probe.h"
#include "platform/window.h"

int currentDrawableLimit() {
    GLint viewport[2] = {0, 0}, renderbuffer = 0;
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    // Zero where the GL has no framebuffer objects: no limit of its own then.
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
    int limit = 0;
    for (const GLint v : {viewport[0], viewport[1], renderbuffer})
        if (v > 0 && (limit == 0 || v < limit)) limit = int(v);
    return limit;
}

int probeDrawableLimit() {
    // The run draws offscreen: so does the probe, on a small drawable of the
    // same kind (on Windows a borderless popup window, which Windows makes at
    // any size asked for: the GL's limit is the one that counts).
    WindowOptions options;
    options.offscreen = true;
    DemoWindow* window = createDemoWindow(64, 48, 0, options);
    if (!window) return 0;
    const int limit = currentDrawableLimit();
    releaseDemoWindow(window);
    return limit;
}

std::string drawableProblem(int limit, int width, int height) {
    if (limit <= 0 || (width <= limit && height <= limit)) return "";
    return "the GL draws " + std::to_string(limit) + " pixels across at most";
}

int checkDrawnSize(const ProgramUsage& program, const OffscreenOptions& o, int scale,
                   const std::string& scaleOption, bool window) {
    const int width = o.width * scale, height = o.height * scale;
    if (width <= 640 && height <= 480) return 0;
    std::string problem = drawableProblem(probeDrawableLimit(), width, height);
    if (problem.empty() && window) problem = windowSizeProblem(width, height);
    if (problem.empty()) return 0;
    const std::string size = std::to_string(o.width) + "x" + std::to_string(o.height);
    std::string drawn = scale > 1 ? "with " + scaleOption + " it draws " : "it draws ";
    drawn += std::to_string(width) + "x" + std::to_string(height) + " pixels";
    return refuseOption(program, "--size", size, "a picture that can be drawn: " + drawn + ", " + problem);
}
