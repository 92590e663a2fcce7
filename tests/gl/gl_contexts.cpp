#include "gl_contexts.h"

#include <SDL2/SDL.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "gl/gl_layer.h"
#include "support/gl_test_context.h"

namespace layertest {

namespace {

// The demo window's request: 5 bits a colour at least, 16 depth bits; always
// on the offscreen driver.
bool openContext(int width, int height, bool es) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    return testgl::openGlWindow("layer test", width, height, 5, es) != nullptr;
}

}  // namespace

bool openLayerContext(int width, int height) {
    static int state = 0;  // 0 untried, 1 open, 2 failed
    if (state == 0) {
        state = openContext(width, height, true) && glLayerInit(SDL_GL_GetProcAddress) ? 1 : 2;
        if (state == 1) glViewport(0, 0, width, height);
    }
    return state == 1;
}

bool openNativeContext(int width, int height) { return openContext(width, height, false); }

Picture readPicture(const Gl11& gl, int width, int height) {
    Picture p;
    p.width = width;
    p.height = height;
    p.rgb.resize(size_t(width) * size_t(height) * 3);
    gl.Finish();
    gl.PixelStorei(GL_PACK_ALIGNMENT, 1);
    gl.ReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, p.rgb.data());
    return p;
}

double psnr(const Picture& a, const Picture& b) {
    if (a.rgb.size() != b.rgb.size() || a.rgb.empty()) return 0;
    double sum = 0;
    for (size_t i = 0; i < a.rgb.size(); ++i) {
        const double d = double(a.rgb[i]) - double(b.rgb[i]);
        sum += d * d;
    }
    if (sum == 0) return 99;
    const double mse = sum / double(a.rgb.size());
    return 10 * std::log10(255.0 * 255.0 / mse);
}

int maxDifference(const Picture& a, const Picture& b) {
    if (a.rgb.size() != b.rgb.size()) return 255;
    int m = 0;
    for (size_t i = 0; i < a.rgb.size(); ++i) m = std::max(m, std::abs(int(a.rgb[i]) - int(b.rgb[i])));
    return m;
}

double differingShare(const Picture& a, const Picture& b, int tolerance) {
    if (a.rgb.size() != b.rgb.size() || a.rgb.empty()) return 1;
    size_t n = 0;
    for (size_t i = 0; i < a.rgb.size(); i += 3) {
        bool differs = false;
        for (int c = 0; c < 3; ++c)
            differs = differs || std::abs(int(a.rgb[i + c]) - int(b.rgb[i + c])) > tolerance;
        n += differs ? 1 : 0;
    }
    return double(n) / double(a.rgb.size() / 3);
}

std::vector<Picture> nativePictures(const std::vector<DrawCase>& cases, int width, int height) {
    const size_t one = size_t(width) * size_t(height) * 3;
    const size_t bytes = one * cases.size() + 1;
    void* shared = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (shared == MAP_FAILED) return {};
    unsigned char* mem = static_cast<unsigned char*>(shared);
    mem[bytes - 1] = 0;
    const pid_t child = fork();
    if (child == 0) {
        Gl11 gl;
        if (!openNativeContext(width, height) || !fillNativeGl11(&gl)) _exit(1);
        gl.Viewport(0, 0, width, height);
        for (size_t i = 0; i < cases.size(); ++i) {
            cases[i](gl);
            const Picture p = readPicture(gl, width, height);
            std::memcpy(mem + one * i, p.rgb.data(), one);
        }
        mem[bytes - 1] = 1;
        _exit(0);
    }
    std::vector<Picture> out;
    int status = 0;
    if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
        WEXITSTATUS(status) == 0 && mem[bytes - 1] == 1) {
        for (size_t i = 0; i < cases.size(); ++i) {
            Picture p;
            p.width = width;
            p.height = height;
            p.rgb.assign(mem + one * i, mem + one * (i + 1));
            out.push_back(std::move(p));
        }
    }
    munmap(shared, bytes);
    return out;
}

bool writePpm(const std::string& path, const Picture& p) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    std::fprintf(f, "P6\n%d %d\n255\n", p.width, p.height);
    const size_t row = size_t(p.width) * 3;
    for (int y = p.height - 1; y >= 0; --y) std::fwrite(p.rgb.data() + row * size_t(y), 1, row, f);
    return std::fclose(f) == 0;
}

}  // namespace layertest
