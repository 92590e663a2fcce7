// Plays the demo through the GL layer on an OpenGL ES 2 context, on the
// capture tool's fixed-step clock, and compares chosen frames with the
// desktop build's (demo-capture --at, run first as a child process).
//
//   test_gl_frames [--at T1,T2,...] [--rate N] [--min-psnr DB] [--keep DIR]
//                  [--native DIR] [--draw-all yes]
//
// --native takes the desktop frames (at-T.png) from an earlier
// demo-capture --rate N --at ... run instead of capturing them anew.
// The frames between the moments are drawn into a one-pixel scissor box
// (their state advances as usual, only the rasterizing nobody sees is
// skipped); --draw-all yes draws them whole, for timing.
// Prints one line per moment (PSNR against the desktop frame, layer draw
// calls per frame, frames per second through the layer) and exits 1 when a
// moment falls below the threshold.
#include <png.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <GL/gl.h>

#include "fx/switches.h"
#include "gl/gl_layer.h"
#include "gl_contexts.h"
#include "shell/headless_run.h"
#include "shell/shell_options.h"
#include "platform/data_path.h"
#include "platform/window.h"
#include "script/frame_loop.h"
#include "script/setup.h"
#include "state/demo_state.h"
#include "support/png_read.h"

extern char** environ;

namespace {

struct Moment {
    std::string name;
    long frame;
    double psnr = 0;
    double drawsPerFrame = 0;
    bool seen = false;
};

struct Run {
    FrameRate rate;
    std::vector<Moment> moments;
    std::string keep;
    long nextFrame = 0, currentFrame = -1, lastFrame = 0;
    bool startReading = true;
    std::vector<unsigned char> pixels;
    long drawsBefore = 0;
    std::chrono::steady_clock::time_point started;
    std::string nativeDir;
    bool drawAll = false;
};

Run run;

bool writePng(const std::string& path, const unsigned char* rgb, int w, int h) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(w);
    image.height = png_uint_32(h);
    image.format = PNG_FORMAT_RGB;
    return png_image_write_to_file(&image, path.c_str(), 0, rgb, 0, nullptr) != 0;
}

double psnrOf(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
    if (a.size() != b.size() || a.empty()) return 0;
    double sum = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        const double d = double(a[i]) - double(b[i]);
        sum += d * d;
    }
    if (sum == 0) return 99;
    return 10 * std::log10(255.0 * 255.0 / (sum / double(a.size())));
}

bool isMoment(long frame) {
    for (const Moment& m : run.moments)
        if (m.frame == frame) return true;
    return false;
}

uint32_t fixedClock(void*) {
    if (run.startReading) {
        run.startReading = false;
        return 0;
    }
    run.currentFrame = run.nextFrame++;
    return frameTimeMs(run.rate, run.currentFrame);
}

void afterFrame(void*) {
    const GlLayerStats* stats = glLayerStats();
    const long draws = stats->draws - run.drawsBefore;
    run.drawsBefore = stats->draws;
    for (Moment& m : run.moments) {
        if (m.frame != run.currentFrame) continue;
        readFrameRgb(640, 480, run.pixels.data());
        std::vector<unsigned char> native;
        int w = 0, h = 0;
        const std::string path = run.nativeDir + "/at-" + m.name + ".png";
        m.seen = true;
        m.drawsPerFrame = double(draws);
        if (readPngRgb(path, &native, &w, &h) && w == 640 && h == 480)
            m.psnr = psnrOf(native, run.pixels);
        else
            std::fprintf(stderr, "test_gl_frames: cannot read %s\n", path.c_str());
        if (!run.keep.empty()) writePng(run.keep + "/layer-" + m.name + ".png", run.pixels.data(), 640, 480);
    }
    if (run.drawAll || isMoment(run.currentFrame + 1)) {
        glDisable(GL_SCISSOR_TEST);
    } else {
        glEnable(GL_SCISSOR_TEST);
        glScissor(0, 0, 1, 1);
    }
}

int stopHeld(void*) { return run.currentFrame >= run.lastFrame ? 1 : 0; }

// The desktop frames, drawn by the driver's GL 1.1 in a process of their own:
// by the browser tests' reference-stills program where it is built (the
// capture program's frames, without rasterizing the frames in between), by
// demo-capture otherwise.
bool captureNative(const std::string& dir, const std::string& times) {
    const std::string rate = std::to_string(run.rate.num) + "/" + std::to_string(run.rate.den);
    std::vector<std::string> args = {DEMO_CAPTURE_EXE, "--rate", rate, "--at", times,
                                     "-o", dir, "--quiet", "--data", DEMO_DATA_DIR};
    if (run.rate.num == 30 && run.rate.den == 1 && access(DEMO_REFERENCE_STILLS_EXE, X_OK) == 0)
        args = {DEMO_REFERENCE_STILLS_EXE, "--at", times, "-o", dir};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
    int status = 0;
    return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string times = "3,10,17,24";
    double minPsnr = 40;  // measured: 49 dB and more at every moment of the ten parts
    run.rate.num = 30;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string a = argv[i];
        if (a == "--at") times = argv[i + 1];
        else if (a == "--rate") run.rate.num = std::atol(argv[i + 1]);
        else if (a == "--min-psnr") minPsnr = std::atof(argv[i + 1]);
        else if (a == "--keep") run.keep = argv[i + 1];
        else if (a == "--native") run.nativeDir = argv[i + 1];
        else if (a == "--draw-all") run.drawAll = std::string(argv[i + 1]) == "yes";
        else {
            std::fprintf(stderr, "test_gl_frames: unknown option %s\n", a.c_str());
            return 2;
        }
    }
    if (run.rate.num <= 0) return 2;
    for (const std::string& name : splitCommaList(times)) {
        Moment m;
        m.name = name;
        m.frame = long(std::llround(std::atof(m.name.c_str()) * double(run.rate.num)));
        run.lastFrame = std::max(run.lastFrame, m.frame);
        run.moments.push_back(m);
    }

    if (access(DEMO_DATA_DIR "/flare.cfg", R_OK) != 0) {
        std::fprintf(stderr, "test_gl_frames: no generated data in %s\n", DEMO_DATA_DIR);
        return 77;  // skipped
    }
    char dir[] = "/tmp/gl-frames-XXXXXX";
    const bool given = !run.nativeDir.empty();
    const bool temporary = !given && run.keep.empty();
    if (temporary && !mkdtemp(dir)) return 1;
    if (!given) run.nativeDir = temporary ? std::string(dir) : run.keep;
    if (!given && !captureNative(run.nativeDir, times)) {
        std::fprintf(stderr, "test_gl_frames: demo-capture failed\n");
        return 1;
    }

    if (!layertest::openLayerContext(640, 480)) return 77;  // no ES 2 context: skipped
    setDataDirectory(DEMO_DATA_DIR);
    demo.cullNearZ = -0.1f;
    initGlState(640, 480);
    if (!loadAll()) {
        std::fprintf(stderr, "test_gl_frames: cannot load scenes or textures\n");
        return 1;
    }
    run.pixels.resize(640 * 480 * 3);
    demo.musicStartMs = 0;
    run.started = std::chrono::steady_clock::now();
    const long frames =
        runDemo(FrameLoopIo{fixedClock, nullptr, nullptr, afterFrame, stopHeld, nullptr});
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - run.started).count();

    int failures = 0;
    for (const Moment& m : run.moments) {
        const bool ok = m.seen && m.psnr >= minPsnr;
        failures += ok ? 0 : 1;
        std::printf("at %6s s (frame %5ld): PSNR %5.1f dB, %4.0f draws%s\n", m.name.c_str(),
                    m.frame, m.psnr, m.drawsPerFrame, ok ? "" : "  BELOW THRESHOLD");
    }
    const GlLayerStats* s = glLayerStats();
    std::printf("%ld frames through the layer%s in %.1f s (%.1f fps); per frame %.0f draws, "
                "%.0f vertices, %.1f program switches, %.1f uniform uploads; %ld programs\n",
                frames, run.drawAll ? "" : " (unseen ones scissored)", seconds,
                double(frames) / seconds, double(s->draws) / double(frames),
                double(s->vertices) / double(frames), double(s->programSwitches) / double(frames),
                double(s->uniformUploads) / double(frames), s->programsBuilt);
    if (temporary) {
        for (const Moment& m : run.moments) unlink((run.nativeDir + "/at-" + m.name + ".png").c_str());
        rmdir(dir);
    }
    return failures ? 1 : 0;
}
