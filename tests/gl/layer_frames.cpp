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
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "gl/gl_layer.h"
#include "gl_contexts.h"
#include "platform/data_path.h"
#include "png_write.h"
#include "shell/shell_options.h"
#include "shell/start_up.h"
#include "shell/still_times.h"
#include "shell/stills_run.h"
#include "support/png_read.h"

extern char** environ;

namespace {

struct Moment {
    std::string name;
    double psnr = 0;
    double drawsPerFrame = 0;
    bool seen = false;
};

struct Run {
    StillsRun stills;
    std::vector<Moment> moments;  // one for each of stills.frames
    std::string keep;
    std::string nativeDir;
    layertest::Picture pixels;
    long drawsBefore = 0;
};

Run run;

// Each frame ends here instead of in a buffer swap: the layer's draw calls
// counted so far, for the draws of the next frame.
void countDraws(void*) { run.drawsBefore = glLayerStats()->draws; }

bool compareMoment(const StillAt& still, void*) {
    Moment& m = run.moments[still.index];
    readFrameRgb(640, 480, run.pixels.rgb.data());
    layertest::Picture native;
    const std::string path = run.nativeDir + "/at-" + m.name + ".png";
    m.seen = true;
    m.drawsPerFrame = double(glLayerStats()->draws - run.drawsBefore);
    if (readPngRgb(path, &native.rgb, &native.width, &native.height) && native.width == 640 &&
        native.height == 480)
        m.psnr = layertest::psnr(native, run.pixels);
    else
        std::fprintf(stderr, "test_gl_frames: cannot read %s\n", path.c_str());
    if (!run.keep.empty())
        writePng(run.keep + "/layer-" + m.name + ".png", 640, 480, run.pixels.rgb.data());
    return true;
}

// The desktop frames, drawn by the driver's GL 1.1 in a process of their own:
// by the browser tests' reference-stills program where it is built (the
// capture program's frames, without rasterizing the frames in between), by
// demo-capture otherwise.
bool captureNative(const std::string& dir, const std::string& times) {
    const FrameRate& rate = run.stills.run.rate;
    const std::string rateText = std::to_string(rate.num) + "/" + std::to_string(rate.den);
    std::vector<std::string> args = {DEMO_CAPTURE_EXE, "--rate", rateText, "--at", times,
                                     "-o", dir, "--quiet", "--data", DEMO_DATA_DIR};
    if (rate.num == 30 && rate.den == 1 && access(DEMO_REFERENCE_STILLS_EXE, X_OK) == 0)
        args = {DEMO_REFERENCE_STILLS_EXE, "--at", times, "-o", dir};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
    int status = 0;
    return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The options into run; false (with the reason on stderr) on a bad one.
bool parseOptions(int argc, char** argv, std::string* times, double* minPsnr) {
    FrameRate& rate = run.stills.run.rate;
    rate.num = 30;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string a = argv[i];
        if (a == "--at") *times = argv[i + 1];
        else if (a == "--rate") rate.num = std::atol(argv[i + 1]);
        else if (a == "--min-psnr") *minPsnr = std::atof(argv[i + 1]);
        else if (a == "--keep") run.keep = argv[i + 1];
        else if (a == "--native") run.nativeDir = argv[i + 1];
        else if (a == "--draw-all") run.stills.drawAll = std::string(argv[i + 1]) == "yes";
        else {
            std::fprintf(stderr, "test_gl_frames: unknown option %s\n", a.c_str());
            return false;
        }
    }
    std::vector<double> seconds;
    if (rate.num <= 0 || !parseStillTimes(times->c_str(), &seconds)) {
        std::fprintf(stderr, "test_gl_frames: bad --rate or --at\n");
        return false;
    }
    run.stills.frames = stillFrames(seconds, rate.num);
    for (const std::string& name : splitCommaList(*times)) {
        Moment m;
        m.name = name;
        run.moments.push_back(m);
    }
    return true;
}

// The demo's own start on the layer's context, with the stills' hooks.
bool startOnTheLayer() {
    setDataDirectory(DEMO_DATA_DIR);
    DemoStart start;
    start.warmUp = false;
    if (!startDemoOnContext(start)) return false;
    run.pixels.width = 640;
    run.pixels.height = 480;
    run.pixels.rgb.resize(640 * 480 * 3);
    run.stills.run.present = countDraws;
    run.stills.onStill = compareMoment;
    return true;
}

int report(double minPsnr, long frames, double seconds) {
    int failures = 0;
    for (size_t i = 0; i < run.moments.size(); ++i) {
        const Moment& m = run.moments[i];
        const bool ok = m.seen && m.psnr >= minPsnr;
        failures += ok ? 0 : 1;
        std::printf("at %6s s (frame %5ld): PSNR %5.1f dB, %4.0f draws%s\n", m.name.c_str(),
                    run.stills.frames[i], m.psnr, m.drawsPerFrame, ok ? "" : "  BELOW THRESHOLD");
    }
    const GlLayerStats* s = glLayerStats();
    std::printf("%ld frames through the layer%s in %.1f s (%.1f fps); per frame %.0f draws, "
                "%.0f vertices, %.1f program switches, %.1f uniform uploads; %ld programs\n",
                frames, run.stills.drawAll ? "" : " (unseen ones scissored)", seconds,
                double(frames) / seconds, double(s->draws) / double(frames),
                double(s->vertices) / double(frames), double(s->programSwitches) / double(frames),
                double(s->uniformUploads) / double(frames), s->programsBuilt);
    return failures ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string times = "3,10,17,24";
    double minPsnr = 40;  // measured: 49 dB and more at every moment of the ten parts
    if (!parseOptions(argc, argv, &times, &minPsnr)) return 2;

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
    if (!startOnTheLayer()) return 1;
    const auto started = std::chrono::steady_clock::now();
    const long frames = playStills(run.stills);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const int code = report(minPsnr, frames, seconds);
    if (temporary) {
        for (const Moment& m : run.moments) unlink((run.nativeDir + "/at-" + m.name + ".png").c_str());
        rmdir(dir);
    }
    return code;
}
