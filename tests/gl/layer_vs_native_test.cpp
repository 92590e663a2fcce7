// Each drawing case, drawn by the driver's own GL 1.1 and through the layer
// over ES 2 on the same software renderer, must give nearly the same picture.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "draw_cases.h"
#include "gl/gl_layer.h"

using namespace layertest;

namespace {

const std::vector<Picture>& nativeResults() {
    static std::vector<Picture> pictures;
    static bool done = false;
    if (!done) {
        done = true;
        std::vector<DrawCase> draws;
        for (const NamedCase& c : drawCases()) draws.push_back(c.draw);
        pictures = nativePictures(draws, caseSize, caseSize);
    }
    return pictures;
}

Picture layerPicture(size_t index, void (*spoil)(Gl11*) = nullptr) {
    Gl11 gl;
    fillLayerGl11(&gl);
    if (spoil) spoil(&gl);
    drawCases()[index].draw(gl);
    return readPicture(gl, caseSize, caseSize);
}

size_t caseIndex(const char* name) {
    for (size_t i = 0; i < drawCases().size(); ++i)
        if (std::string(drawCases()[i].name) == name) return i;
    return 0;
}

// Faults a broken layer could have, made on purpose through the table.
void withoutFog(Gl11* gl) {
    gl->Enable = [](GLenum cap) {
        if (cap != GL_FOG) glEnable(cap);
    };
}

void blendingOver(Gl11* gl) {
    gl->BlendFunc = [](GLenum, GLenum) { glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA); };
}

void modulateOnly(Gl11* gl) {
    gl->TexEnvf = [](GLenum, GLenum, GLfloat) {};
}

// With GL_LAYER_TEST_PICTURES set to a folder, both pictures of every case
// are kept there for a look.
void keepPictures(const char* name, const Picture& native, const Picture& layer) {
    const char* dir = std::getenv("GL_LAYER_TEST_PICTURES");
    if (!dir) return;
    writePpm(std::string(dir) + "/" + name + "-native.ppm", native);
    writePpm(std::string(dir) + "/" + name + "-layer.ppm", layer);
}

// The native pictures are drawn before any test runs: the child process must
// start before this process has a context of its own.
class NativeFirst : public ::testing::Environment {
public:
    void SetUp() override { nativeResults(); }
};
const auto* const nativeFirst = ::testing::AddGlobalTestEnvironment(new NativeFirst);

class LayerVsNative : public ::testing::TestWithParam<size_t> {
protected:
    void SetUp() override {
        if (nativeResults().empty()) GTEST_SKIP() << "no native GL context";
        if (!openLayerContext(caseSize, caseSize)) GTEST_SKIP() << "no OpenGL ES 2 context";
    }
};

TEST_P(LayerVsNative, MatchesTheDriversFixedFunctionPicture) {
    const size_t i = GetParam();
    const Picture layer = layerPicture(i);
    const Picture& native = nativeResults()[i];
    const double db = psnr(native, layer);
    const double share = differingShare(native, layer, 3);
    std::printf("%-18s PSNR %5.1f dB, max difference %3d, %.2f%% pixels off by more than 3\n",
                drawCases()[i].name, db, maxDifference(native, layer), share * 100);
    keepPictures(drawCases()[i].name, native, layer);
    EXPECT_GE(db, 40.0) << drawCases()[i].name;
    EXPECT_LE(share, 0.01) << drawCases()[i].name;
}

INSTANTIATE_TEST_SUITE_P(Cases, LayerVsNative, ::testing::Range(size_t(0), drawCases().size()),
                         [](const ::testing::TestParamInfo<size_t>& info) {
                             return std::string(drawCases()[info.param].name);
                         });

// The comparison must be able to fail: a quad cut along the other diagonal
// shades a trapezoid differently, and the test would see it.
TEST(LayerVsNativeSensitivity, TheOtherQuadDiagonalIsSeen) {
    if (nativeResults().empty()) GTEST_SKIP() << "no native GL context";
    if (!openLayerContext(caseSize, caseSize)) GTEST_SKIP() << "no OpenGL ES 2 context";
    glLayerSetQuadSplit(quadSplitBD);
    const Picture wrong = layerPicture(0);
    glLayerSetQuadSplit(quadSplitAC);
    const Picture right = layerPicture(0);
    EXPECT_LT(psnr(nativeResults()[0], wrong), psnr(nativeResults()[0], right) - 3);
}

TEST(LayerVsNativeSensitivity, MissingFogWrongBlendAndIgnoredEnvironmentFail) {
    if (nativeResults().empty()) GTEST_SKIP() << "no native GL context";
    if (!openLayerContext(caseSize, caseSize)) GTEST_SKIP() << "no OpenGL ES 2 context";
    struct Fault {
        const char* caseName;
        void (*spoil)(Gl11*);
    };
    const Fault faults[] = {{"fogQuads", withoutFog},
                            {"fadeAndFlash", blendingOver},
                            {"texturedBlendEnv", modulateOnly}};
    for (const Fault& f : faults) {
        const size_t i = caseIndex(f.caseName);
        const double db = psnr(nativeResults()[i], layerPicture(i, f.spoil));
        std::printf("%-18s spoilt on purpose: PSNR %5.1f dB\n", f.caseName, db);
        EXPECT_LT(db, 30.0) << f.caseName;
    }
}

}  // namespace
