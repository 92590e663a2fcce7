// Pictures and flare files that are refused say which file and why, and
// nothing that is no regular file is waited on.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "image/bmp.h"
#include "image/flare_config.h"
#include "image/jpeg.h"
#include "image/texture_table.h"
#include "image_test_util.h"
#include "support/error_capture.h"
#include "support/gl_test_context.h"
#include "support/scene_holder.h"

namespace {

using imagetest::Bytes;

const unsigned char grey[3] = {128, 128, 128};

std::string loadPictureOutput(const char* name, unsigned* glName) {
    testing::internal::CaptureStderr();
    loadPicture(name, glName);
    return testing::internal::GetCapturedStderr();
}

std::string flareHeader(int lenses) {
    return "[Flare]\r\nNumberOfFlares: " + std::to_string(lenses) +
           "\r\nFlareDistance: 64\r\nFlarePreLight: 2\r\nFlareAngle: 512\r\nFlareBlend: 1\r\n";
}

// The header, then filler lines up to `bytes` in all.
std::string paddedFlareFile(int lenses, size_t bytes) {
    std::string text = flareHeader(lenses);
    const std::string filler = std::string(200, 'x') + "\r\n";
    while (text.size() + filler.size() <= bytes) text += filler;
    return text;
}

}  // namespace

TEST(PictureRefusals, APictureBeyondTheTextureLimitSaysSoAndGetsNoTexture) {
    REQUIRE_GL();
    GLint limit = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &limit);
    ASSERT_GT(limit, 0);
    ScratchDataFolder dir("image-test");
    // Small in bytes, far below the decoder's cap, but too wide for the driver.
    const int width = int(limit) + 16;
    dir.write("wide.jpg", imagetest::encodeJpeg(width, 2, 3, imagetest::twoBands(width, 2, grey, grey)));
    unsigned name = 55;
    const std::string err = loadPictureOutput("data\\wide.jpg", &name);
    EXPECT_EQ(name, 55u);
    EXPECT_EQ(err, "data\\wide.jpg: " + std::to_string(width) +
                       "x2 pixels is more than the graphics driver takes (" +
                       std::to_string(limit) + "x" + std::to_string(limit) +
                       " at most)\ncannot load picture: data\\wide.jpg\n");
}

TEST(PictureRefusals, JpegRefusalsNameTheFileAndTheReason) {
    ScratchDataFolder dir("image-test");
    dir.write("text.jpg", std::string("this is not a JPEG picture\n"));
    dir.write("empty.jpg", std::string());
    ASSERT_EQ(mkfifo((dir.data + "/pipe.jpg").c_str(), 0644), 0);
    // A valid header of 6000 x 6000 pixels: 108 MB decoded, over the cap.
    Bytes big = imagetest::encodeJpeg(8, 8, 3, imagetest::twoBands(8, 8, grey, grey));
    for (size_t i = 0; i + 8 < big.size(); ++i)
        if (big[i] == 0xFF && big[i + 1] == 0xC0) {  // start of frame: height, width
            big[i + 5] = 6000 >> 8;
            big[i + 6] = 6000 & 255;
            big[i + 7] = 6000 >> 8;
            big[i + 8] = 6000 & 255;
            break;
        }
    dir.write("huge.jpg", big);
    const struct {
        const char* name;
        const char* reason;
    } cases[] = {
        {"data\\text.jpg", "data\\text.jpg: not a JPEG picture, or a damaged one ("},
        {"data\\empty.jpg", "data\\empty.jpg: an empty file\n"},
        {"data\\pipe.jpg", "data\\pipe.jpg: not a regular file ("},
        {"data\\huge.jpg",
         "data\\huge.jpg: 6000x6000 pixels would take more than the 64 MB a picture may have\n"},
        {"data\\gone.jpg", "data\\gone.jpg: no such file in "},
    };
    for (const auto& c : cases) {
        int w = 0, h = 0;
        unsigned char* pixels = nullptr;
        testing::internal::CaptureStderr();
        EXPECT_EQ(loadJpegImage(c.name, &w, &h, &pixels), 0) << c.name;
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(pixels, nullptr);
        EXPECT_EQ(err.rfind(c.reason, 0), 0u) << c.name << ": " << err;
        EXPECT_EQ(err.find('\n'), err.size() - 1) << "one line: " << err;
    }
}

TEST(PictureRefusals, BitmapRefusalsNameTheFileBeforeTheReadersMessage) {
    ScratchDataFolder dir("image-test");
    ASSERT_EQ(mkfifo((dir.data + "/pipe.bmp").c_str(), 0644), 0);
    // Run-length data may expand, so only the size cap stops this one:
    // 8000 x 8000 pixels from a few bytes.
    Bytes rle = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54 + 4, 0, 0, 0,
                 40, 0, 0, 0, 0x40, 0x1F, 0, 0, 0x40, 0x1F, 0, 0, 1, 0, 8, 0, 1, 0, 0, 0};
    rle.resize(54 + 4 + 16, 0);  // sizes and resolutions, a palette entry, a few bytes of runs
    rle[14 + 32] = 1;            // one colour used
    dir.write("huge.bmp", rle);
    const struct {
        const char* name;
        const char* line;
        const char* box;
    } cases[] = {
        {"data\\pipe.bmp", "data\\pipe.bmp: not a regular file (", "Failed to open DIB file data\\pipe.bmp.\n"},
        {"data\\huge.bmp",
         "data\\huge.bmp: 8000x8000 pixels would take more than the 64 MB a picture may have\n",
         "Image file conversion error."},
    };
    for (const auto& c : cases) {
        ErrorCapture errors;
        Image* image = reinterpret_cast<Image*>(1);
        testing::internal::CaptureStderr();
        EXPECT_EQ(loadBmpImage(c.name, &image), nullptr);
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(image, nullptr);
        EXPECT_EQ(err.rfind(c.line, 0), 0u) << c.name << ": " << err;
        ASSERT_EQ(errors.texts.size(), 1u) << c.name;
        EXPECT_EQ(errors.texts[0], c.box);
    }
}

TEST(FlareFileRefusals, AFileOverTheLimitOrNoRegularFileIsNotRead) {
    ScratchDataFolder dir("image-test");
    const struct {
        const char* what;
        bool pipe;
        std::string text;
        const char* reason;
    } cases[] = {
        {"over 1 MB", false, paddedFlareFile(64, maxFlareFileBytes + 1000),
         "data\\flare.cfg: the file is too large ("},
        {"a named pipe", true, "", "data\\flare.cfg: not a regular file ("},
    };
    for (const auto& c : cases) {
        const std::string path = dir.data + "/flare.cfg";
        std::remove(path.c_str());
        if (c.pipe)
            ASSERT_EQ(mkfifo(path.c_str(), 0644), 0);
        else
            dir.write("flare.cfg", c.text);
        SceneHolder s;
        ErrorCapture errors;
        Vec3 light{0, 0, -5};
        testing::internal::CaptureStderr();
        loadFlareConfig(s.scene, "data\\flare.cfg", &light);
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(s.scene->flareSetCount, 0) << c.what;
        EXPECT_EQ(errors.texts, std::vector<std::string>{"cannot load flaredata"}) << c.what;
        EXPECT_EQ(err.rfind(c.reason, 0), 0u) << c.what << ": " << err;
    }
}

TEST(FlareFileRefusals, AFileAtTheLimitWithoutItsLensSectionsStillLoads) {
    // 64 announced lenses, none of them there: each section is searched
    // through the whole file, three times over for three lights.
    ScratchDataFolder dir("image-test");
    dir.write("flare.cfg", paddedFlareFile(64, maxFlareFileBytes));
    SceneHolder s;
    ErrorCapture errors;
    Vec3 light{0, 0, -5};
    for (int i = 0; i < 3; ++i) loadFlareConfig(s.scene, "data\\flare.cfg", &light);
    EXPECT_TRUE(errors.texts.empty());
    ASSERT_EQ(s.scene->flareSetCount, 3);
    for (int i = 0; i < 3; ++i) {
        const FlareSet& set = s.scene->flareSets[i];
        ASSERT_EQ(set.lensCount, 64);
        EXPECT_FLOAT_EQ(set.falloff, 2.0f);
        for (int k = 0; k < 64; ++k) {
            EXPECT_EQ(set.lenses[k].size, 0.0f);
            EXPECT_EQ(set.lenses[k].glTexture, 0u);
        }
    }
}
