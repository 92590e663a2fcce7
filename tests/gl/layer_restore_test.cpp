// A context that comes back empty (a lost WebGL context): with its pictures
// kept, the layer gives the driver its textures back under the same names,
// sub-image updates included.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <vector>

#include "gl/gl_restore.h"
#include "gl/gl_state.h"
#include "gl_contexts.h"
#include "support/gl_test_context.h"

namespace {

const int size = 16;

std::vector<unsigned char> drawTexturedQuad(GLuint texture) {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 1, 0, 1, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0), glVertex2f(0, 0);
    glTexCoord2f(1, 0), glVertex2f(1, 0);
    glTexCoord2f(1, 1), glVertex2f(1, 1);
    glTexCoord2f(0, 1), glVertex2f(0, 1);
    glEnd();
    std::vector<unsigned char> rgb(size * size * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, size, size, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
}

TEST(LayerRestore, TexturesComeBackUnderTheirNamesWithTheirUpdates) {
    if (!layertest::openLayerContext(size, size)) GTEST_SKIP() << "no OpenGL ES 2 context";
    glLayerKeepPictures(1);
    glViewport(0, 0, size, size);
    // 3x4 texels (rows of 9 bytes, unpacked tightly), nearest filtering.
    std::vector<unsigned char> texels(3 * 4 * 3);
    for (size_t i = 0; i < texels.size(); ++i) texels[i] = (unsigned char)(20 * i);
    GLuint name = testgl::rgbTexture(texels.data(), 3, 4, GL_NEAREST);
    const unsigned char patch[2 * 2 * 3] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0};
    glTexSubImage2D(GL_TEXTURE_2D, 0, 1, 1, 2, 2, GL_RGB, GL_UNSIGNED_BYTE, patch);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    const std::vector<unsigned char> before = drawTexturedQuad(name);

    // The driver forgets the texture and every program, as a lost context does.
    gllayer::layer.es->deleteTextures(1, &name);
    gllayer::layer.es->bindTexture(GL_TEXTURE_2D, 0);
    gllayer::layer.es->disable(GL_DEPTH_TEST);
    const std::vector<unsigned char> lost = drawTexturedQuad(name);
    EXPECT_NE(lost, before) << "the loss was not felt: the test proves nothing";

    glLayerRestore();
    EXPECT_EQ(drawTexturedQuad(name), before);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    // A deleted texture is not brought back.
    glDeleteTextures(1, &name);
    glLayerRestore();
    glLayerKeepPictures(0);
}

}  // namespace
