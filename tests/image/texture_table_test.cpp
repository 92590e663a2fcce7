#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "image/texture_table.h"
#include "image_test_util.h"
#include "state/demo_state.h"
#include "support/gl_test_context.h"

namespace {

const unsigned char red[3] = {255, 0, 0};
const unsigned char blue[3] = {0, 0, 255};

TEST(TextureTable, ConversionPutsTheBottomRowFirstInRgbOrder) {
    // 2 x 3 pixels, top row first, blue-green-red.
    const unsigned char bgr[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18};
    unsigned char* rgb = jpegRowsToBottomUpRgb(bgr, 2, 3);
    ASSERT_NE(rgb, nullptr);
    const unsigned char expected[] = {15, 14, 13, 18, 17, 16, 9, 8, 7, 12, 11, 10, 3, 2, 1, 6, 5, 4};
    EXPECT_EQ(std::memcmp(rgb, expected, sizeof expected), 0);
    std::free(rgb);
}

GLint getInt(GLenum what) {
    GLint v = 0;
    glGetIntegerv(what, &v);
    return v;
}

TEST(TextureTable, BindSetsTheBlendStateOfTheOpacity) {
    REQUIRE_GL();
    testgl::clearFrame(0, 0, 0);
    const unsigned name = testgl::solidTexture(10, 20, 30);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL);

    struct Case {
        float opacity;
        GLboolean blend, depthMask, cull;
        float alpha;
    } cases[] = {{0, GL_FALSE, GL_TRUE, GL_TRUE, 1}, {1, GL_TRUE, GL_FALSE, GL_FALSE, 1},
                 {0.25f, GL_TRUE, GL_FALSE, GL_FALSE, 0.25f}};
    for (const Case& c : cases) {
        // Start from the opposite state each time.
        if (c.blend) glDisable(GL_BLEND); else glEnable(GL_BLEND);
        glDepthMask(c.depthMask ? GL_FALSE : GL_TRUE);
        if (c.cull) glDisable(GL_CULL_FACE); else glEnable(GL_CULL_FACE);
        glBlendFunc(GL_ONE, GL_ZERO);
        glColor4f(0.5f, 0.5f, 0.5f, 0.5f);
        glBindTexture(GL_TEXTURE_2D, 0);

        TextureSlot slot{};
        slot.glTexture = name;
        slot.opacity = c.opacity;
        bindTextureSlot(&slot);

        EXPECT_EQ(glIsEnabled(GL_BLEND), c.blend) << c.opacity;
        GLboolean mask = GL_FALSE;
        glGetBooleanv(GL_DEPTH_WRITEMASK, &mask);
        EXPECT_EQ(mask, c.depthMask) << c.opacity;
        EXPECT_EQ(glIsEnabled(GL_CULL_FACE), c.cull) << c.opacity;
        EXPECT_EQ(getInt(GL_BLEND_SRC), GL_SRC_ALPHA);
        EXPECT_EQ(getInt(GL_BLEND_DST), GL_SRC_ALPHA);
        EXPECT_EQ(getInt(GL_TEXTURE_BINDING_2D), GLint(name));
        float colour[4];
        glGetFloatv(GL_CURRENT_COLOR, colour);
        EXPECT_FLOAT_EQ(colour[0], 1);
        EXPECT_FLOAT_EQ(colour[2], 1);
        EXPECT_FLOAT_EQ(colour[3], c.alpha);
        GLint env = 0;
        glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &env);
        EXPECT_EQ(env, GL_DECAL);
    }
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

std::vector<unsigned char> readTexture(unsigned name, int width, int height) {
    std::vector<unsigned char> texels(size_t(width) * height * 3);
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    return texels;
}

TEST(TextureTable, PictureIsUploadedBottomRowFirst) {
    REQUIRE_GL();
    ScratchDataFolder dir("image-test");
    dir.write("pic.jpg", imagetest::encodeJpeg(64, 32, 3, imagetest::twoBands(64, 32, red, blue)));
    unsigned name = 0;
    loadPicture("data\\pic.jpg", &name);
    ASSERT_NE(name, 0u);
    EXPECT_EQ(getInt(GL_TEXTURE_BINDING_2D), GLint(name));
    GLint w = 0, h = 0, minFilter = 0, magFilter = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
    EXPECT_EQ(w, 64);
    EXPECT_EQ(h, 32);
    EXPECT_EQ(minFilter, GL_LINEAR);
    EXPECT_EQ(magFilter, GL_LINEAR);

    std::vector<unsigned char> t = readTexture(name, 64, 32);
    // t = 0 is the picture's bottom edge: blue; the last row is the top: red.
    EXPECT_NEAR(t[2], 255, 3);
    EXPECT_NEAR(t[0], 0, 3);
    EXPECT_NEAR(t[(31 * 64 + 63) * 3], 255, 3);
    EXPECT_NEAR(t[(31 * 64 + 63) * 3 + 2], 0, 3);
}

TEST(TextureTable, OddWidthPicturesAreNotSkewed) {
    REQUIRE_GL();
    // 13 x 16: red on the left, blue on the right. Rows read with a padded
    // stride would drift a byte per row.
    const int w = 13, h = 16;
    std::vector<unsigned char> rgb(size_t(w) * h * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) std::memcpy(&rgb[(size_t(y) * w + x) * 3], x < 6 ? red : blue, 3);
    ScratchDataFolder dir("image-test");
    dir.write("odd.jpg", imagetest::encodeJpeg(w, h, 3, rgb));
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    unsigned name = 0;
    loadPicture("data\\odd.jpg", &name);
    ASSERT_NE(name, 0u);
    std::vector<unsigned char> t = readTexture(name, w, h);
    for (int row = 0; row < h; ++row) {
        EXPECT_GT(t[(row * w + 1) * 3], 200) << row;
        EXPECT_GT(t[(row * w + 11) * 3 + 2], 200) << row;
    }
}

TEST(TextureTable, MissingPictureLeavesTheNameAndSaysSo) {
    REQUIRE_GL();
    ScratchDataFolder dir("image-test");
    unsigned name = 77;
    testing::internal::CaptureStderr();
    loadPicture("data\\nothere.jpg", &name);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(name, 77u);
    // The reason first, naming the folder searched, then the loader's line.
    EXPECT_EQ(err, "data\\nothere.jpg: no such file in " + dir.data +
                       "\ncannot load picture: data\\nothere.jpg\n");
}

TEST(TextureTable, LoadersSetTheMaterial) {
    REQUIRE_GL();
    ScratchDataFolder dir("image-test");
    dir.write("a.jpg", imagetest::encodeJpeg(8, 8, 3, imagetest::twoBands(8, 8, red, red)));
    TextureSlot slot{};
    slot.wireLevel = 3;
    slot.flags = 99;
    loadTextureSlot(&slot, "data\\a.jpg", 0.5f);
    EXPECT_NE(slot.glTexture, 0u);
    EXPECT_EQ(slot.wireLevel, 0);
    EXPECT_EQ(slot.opacity, 0.5f);
    EXPECT_EQ(slot.flags, 0);

    loadEnvMapTextureSlot(&slot, "data\\a.jpg", 1);
    EXPECT_EQ(slot.flags, textureFlagEnvMap);

    TextureSlot two{};
    two.glTexture2 = 55;
    testing::internal::CaptureStderr();
    loadTwoLayerTextureSlot(&two, "data\\a.jpg", "data\\missing.jpg", 0, 0.125f);
    testing::internal::GetCapturedStderr();
    EXPECT_NE(two.glTexture, 0u);
    EXPECT_EQ(two.glTexture2, 55u);
    EXPECT_EQ(two.flags, textureFlagTwoLayer);
    EXPECT_EQ(two.texScale2, 0.125f);
    EXPECT_EQ(two.opacity, 0);
}

TEST(TextureTable, UploadReplacesThePicture) {
    REQUIRE_GL();
    TextureSlot slot{};
    slot.glTexture = testgl::solidTexture(0, 0, 0);
    std::vector<unsigned char> pixels(128 * 128 * 3);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t(i * 31);
    Image image{128, 128, pixels.data()};
    uploadImageToTexture(&slot, &image);
    EXPECT_EQ(readTexture(slot.glTexture, 128, 128), pixels);
}

}  // namespace
