#include "picture_target.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <SDL2/SDL.h>

#include <cstdio>
#include <cstdlib>

#include "drawable_limit.h"
#include "platform/window.h"
#include "options/option_values.h"

namespace {

// The framebuffer calls are GL 3.0: fetched from the context, not linked.
struct FramebufferCalls {
    PFNGLGENFRAMEBUFFERSPROC genFramebuffers;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus;
    PFNGLGENRENDERBUFFERSPROC genRenderbuffers;
    PFNGLBINDRENDERBUFFERPROC bindRenderbuffer;
    PFNGLRENDERBUFFERSTORAGEMULTISAMPLEPROC renderbufferStorageMultisample;
    PFNGLGETRENDERBUFFERPARAMETERIVPROC getRenderbufferParameteriv;
    PFNGLBLITFRAMEBUFFERPROC blitFramebuffer;
};
FramebufferCalls gl = {};

template <typename F>
bool fetch(F* out, const char* name) {
    *out = reinterpret_cast<F>(SDL_GL_GetProcAddress(name));
    return *out != nullptr;
}

bool fetchCalls() {
    return fetch(&gl.genFramebuffers, "glGenFramebuffers") &&
           fetch(&gl.bindFramebuffer, "glBindFramebuffer") &&
           fetch(&gl.framebufferRenderbuffer, "glFramebufferRenderbuffer") &&
           fetch(&gl.checkFramebufferStatus, "glCheckFramebufferStatus") &&
           fetch(&gl.genRenderbuffers, "glGenRenderbuffers") &&
           fetch(&gl.bindRenderbuffer, "glBindRenderbuffer") &&
           fetch(&gl.renderbufferStorageMultisample, "glRenderbufferStorageMultisample") &&
           fetch(&gl.getRenderbufferParameteriv, "glGetRenderbufferParameteriv") &&
           fetch(&gl.blitFramebuffer, "glBlitFramebuffer");
}

unsigned makeRenderbuffer(GLenum format, int samples, int width, int height) {
    GLuint name = 0;
    gl.genRenderbuffers(1, &name);
    gl.bindRenderbuffer(GL_RENDERBUFFER, name);
    gl.renderbufferStorageMultisample(GL_RENDERBUFFER, samples, format, width, height);
    return name;
}

// Buffers of the drawable's own depth: the depth test's precision decides
// which of two close surfaces a line or a face lands on.
GLenum depthFormatOfDrawable(GLenum* attachment) {
    GLint depthBits = 0, stencilBits = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    glGetIntegerv(GL_STENCIL_BITS, &stencilBits);
    *attachment = stencilBits > 0 ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT;
    if (stencilBits > 0) return depthBits > 24 ? GL_DEPTH32F_STENCIL8 : GL_DEPTH24_STENCIL8;
    if (depthBits <= 16) return GL_DEPTH_COMPONENT16;
    return depthBits <= 24 ? GL_DEPTH_COMPONENT24 : GL_DEPTH_COMPONENT32;
}

GLenum colourFormatOfDrawable() {
    GLint red = 0, alpha = 0;
    glGetIntegerv(GL_RED_BITS, &red);
    glGetIntegerv(GL_ALPHA_BITS, &alpha);
    if (red <= 5) return alpha > 0 ? GL_RGB5_A1 : GL_RGB565;
    return alpha > 0 ? GL_RGBA8 : GL_RGB8;
}

}  // namespace

bool parsePictureTarget(const std::string& text, PictureTarget* target) {
    int n = 0;
    if (text.rfind("msaa", 0) == 0 && parseSampleCount(text.c_str() + 4, &n)) {
        *target = PictureTarget{};
        target->samples = n;
        return true;
    }
    if (text == "supersample2" || text == "supersample3" || text == "supersample4") {
        n = text.back() - '0';
        *target = PictureTarget{};
        target->scale = n;
        return true;
    }
    return false;
}

bool createPictureTarget(PictureTarget* target, int drawableWidth, int drawableHeight,
                         std::string* problem) {
    if (!fetchCalls()) {
        *problem = "the GL has no framebuffer objects (GL 3.0)";
        return false;
    }
    GLint maxSamples = 0;
    glGetIntegerv(GL_MAX_SAMPLES, &maxSamples);
    target->width = drawableWidth * target->scale;
    target->height = drawableHeight * target->scale;
    *problem = drawableProblem(currentDrawableLimit(), target->width, target->height);
    if (!problem->empty()) return false;
    int samples = target->samples;
    if (samples > maxSamples) {
        std::fprintf(stderr, "demo-bench: the GL offers %d samples per pixel at most, not %d\n",
                     int(maxSamples), samples);
        samples = int(maxSamples);
    }
    GLenum depthAttachment = GL_DEPTH_ATTACHMENT;
    const GLenum depthFormat = depthFormatOfDrawable(&depthAttachment);
    target->colour =
        makeRenderbuffer(colourFormatOfDrawable(), samples, target->width, target->height);
    GLint got = 0;
    gl.getRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_SAMPLES, &got);
    target->samplesGot = int(got);
    target->depth = makeRenderbuffer(depthFormat, samples, target->width, target->height);
    gl.bindRenderbuffer(GL_RENDERBUFFER, 0);

    GLuint fb = 0;
    gl.genFramebuffers(1, &fb);
    target->framebuffer = fb;
    gl.bindFramebuffer(GL_FRAMEBUFFER, fb);
    gl.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                               target->colour);
    gl.framebufferRenderbuffer(GL_FRAMEBUFFER, depthAttachment, GL_RENDERBUFFER, target->depth);
    const GLenum status = gl.checkFramebufferStatus(GL_FRAMEBUFFER);
    gl.bindFramebuffer(GL_FRAMEBUFFER, 0);
    if (status != GL_FRAMEBUFFER_COMPLETE) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%04x", unsigned(status));
        *problem = std::string("the GL refuses the framebuffer (status ") + hex + ")";
        return false;
    }
    return true;
}

void beginTargetFrame(const PictureTarget& target) {
    gl.bindFramebuffer(GL_FRAMEBUFFER, target.framebuffer);
    // A size change as the window's own: viewport and picture follow it.
    setPerspective(target.width, target.height);
}

void endTargetFrame(const PictureTarget& target, int drawableWidth, int drawableHeight) {
    gl.bindFramebuffer(GL_READ_FRAMEBUFFER, target.framebuffer);
    gl.bindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    // Resolving samples needs equal sizes and GL_NEAREST; scaling down a
    // one-sample picture takes the linear filter.
    gl.blitFramebuffer(0, 0, target.width, target.height, 0, 0, drawableWidth, drawableHeight,
                       GL_COLOR_BUFFER_BIT, target.scale > 1 ? GL_LINEAR : GL_NEAREST);
    gl.bindFramebuffer(GL_FRAMEBUFFER, 0);
    setPerspective(drawableWidth, drawableHeight);
}

std::string describePictureTarget(const PictureTarget& target) {
    if (target.scale > 1)
        return "drawn at " + std::to_string(target.width) + "x" + std::to_string(target.height) +
               ", scaled down by the GL";
    return std::to_string(target.samplesGot) + " samples per pixel";
}
