// render-bench: milliseconds per renderScene of a scene the size of the
// heaviest one in the demo, split into evaluation, hooks and drawing.
//
//   render-bench [--frames N] [--warmup N] [--dump FRAME.ppm]   (always offscreen)
//
// Evaluation is evaluateScene alone and hooks runSceneHooks alone, each timed
// on its own call; drawing is a whole renderScene up to glFinish minus those two.
// The processor time of the whole renderScene (the GL driver's threads
// included) is shown too, as it suffers less than wall time on a busy machine.
// The frames are then run again with the particles taken out, and --dump writes
// the last frame as a picture to look at.
#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <ctime>
#include <vector>

#include "options/standard_output.h"
#include "bench_scene.h"
#include "bench_stats.h"
#include "fx/grid_layer.h"
#include "fx/particles.h"
#include "fx/render_scene.h"
#include "fx/switches.h"
#include "platform/window.h"
#include "scene/evaluate.h"
#include "scene/texture_slot.h"
#include "options/option_reader.h"
#include "options/option_values.h"
#include "state/demo_state.h"

namespace {

using Clock = std::chrono::steady_clock;

double processCpuMs() { return processCpuSeconds() * 1e3; }

double msBetween(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
}

struct Series {
    std::vector<double> values;
    double mean() const {
        double sum = 0;
        for (double v : values) sum += v;
        return values.empty() ? 0 : sum / double(values.size());
    }
    double quantile(double q) const { return percentile(values, q); }
};

void clearScreen(float r, float g, float b) {
    glClearColor(r, g, b, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

// Share of the screen the tube covers, particles hidden (background blue).
double tubeCoverage(Scene* scene) {
    int counts[2];
    for (int i = 0; i < 2; ++i) {
        counts[i] = scene->particleSystems[i].count;
        scene->particleSystems[i].count = 0;
    }
    clearScreen(0, 0, 1);
    renderScene(scene, 0);
    glFinish();
    std::vector<unsigned char> rgb(640 * 480 * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, 640, 480, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    long covered = 0;
    for (size_t p = 0; p < rgb.size(); p += 3)
        if (!(rgb[p] < 40 && rgb[p + 2] > 200)) ++covered;
    for (int i = 0; i < 2; ++i) scene->particleSystems[i].count = counts[i];
    return double(covered) / (640.0 * 480.0);
}

// Times `frames` frames after `warmup` untimed ones.
void runFrames(Scene* scene, int warmup, int frames, Series* evaluation, Series* hooks,
               Series* drawing, Series* total, Series* cpu) {
    for (int f = 0; f < warmup + frames; ++f) {
        // About 30 frames per second of scene time (35 units per second).
        const float time = float(f) * 1.2f;
        demo.DemoClock.totalTime = demo.DemoClock.partTime = time;
        demo.DemoClock.frameStep = 0.5f;
        clearScreen(0, 0, 0);
        glFinish();

        const Clock::time_point t0 = Clock::now();
        evaluateScene(scene, time);
        const Clock::time_point t1 = Clock::now();
        runSceneHooks(scene);
        const Clock::time_point t2 = Clock::now();
        const double c0 = processCpuMs();
        renderScene(scene, time);
        glFinish();
        const Clock::time_point t3 = Clock::now();
        const double c1 = processCpuMs();
        presentDemoWindow();
        if (f < warmup) continue;

        const double e = msBetween(t0, t1), h = msBetween(t1, t2), r = msBetween(t2, t3);
        evaluation->values.push_back(e);
        hooks->values.push_back(h);
        drawing->values.push_back(r - e - h);
        total->values.push_back(r);
        cpu->values.push_back(c1 - c0);
    }
}

// The frame just drawn as a binary PPM, top row first.
bool dumpFrame(const char* path) {
    glFinish();
    std::vector<unsigned char> rgb(640 * 480 * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, 640, 480, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    FILE* f = std::fopen(path, "wb");
    if (!f) return false;
    std::fprintf(f, "P6\n640 480\n255\n");
    for (int y = 479; y >= 0; --y) std::fwrite(&rgb[size_t(y) * 640 * 3], 1, 640 * 3, f);
    return std::fclose(f) == 0;
}

const char* const usage =
    "usage: render-bench [--frames N] [--warmup N] [--dump FRAME.ppm]\n"
    "  --frames N       frames timed (default 120)\n"
    "  --warmup N       untimed frames before them (default 10)\n"
    "  --dump FILE.ppm  the last frame as a picture\n";
const ProgramUsage program = {"render-bench", usage};

struct BenchOptions {
    int frames = 120, warmup = 10;
    std::string dumpPath;
};

// -1 to go on; else the exit code, after the help or a refusal.
int parseBenchOptions(int argc, char** argv, BenchOptions* o) {
    const char* const countTaken = "a whole number from 1 to 100000";
    OptionReader r = startOptions(program, argc, argv);
    while (nextOption(&r)) {
        if (helpAsked(r)) return showHelp(program);
        std::string v;
        if (r.option == "--dump") {
            if (const int refused = optionValue(&r, &o->dumpPath, "a file name")) return refused;
            continue;
        }
        if (r.option != "--frames" && r.option != "--warmup") return refuseUnknown(r);
        if (const int refused = optionValue(&r, &v, countTaken)) return refused;
        long n = 0;
        if (!parseWholeNumber(v.c_str(), 1, 100000, &n))
            return refuseOption(program, r.option, v, countTaken);
        (r.option == "--frames" ? o->frames : o->warmup) = int(n);
    }
    return -1;
}

// The bench scene, its tube turned to face the camera, described on stdout.
Scene* prepareBenchScene() {
    Scene* scene = buildBenchScene();
    // The tube is seen from inside; keep the winding whose faces survive culling.
    double coverage = tubeCoverage(scene);
    if (coverage < 0.5) {
        flipBenchTube(scene);
        coverage = tubeCoverage(scene);
    }
    int triangles = 0, particles = 0;
    for (int i = 0; i < scene->objectCount; ++i) triangles += scene->objects[i].faceCount;
    for (int i = 0; i < scene->particleSystemCount; ++i) particles += scene->particleSystems[i].count;
    std::printf("renderer: %s (%s)\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)),
                reinterpret_cast<const char*>(glGetString(GL_VERSION)));
    std::printf("scene: %d triangles, %d particles in %d systems, %d hook, fog %.4f; "
                "tube covers %.0f%% of the 640x480 frame\n",
                triangles, particles, scene->particleSystemCount, scene->hookCount,
                scene->fogDensity, coverage * 100.0);
    return scene;
}

struct BenchSeries {
    Series evaluation, hooks, drawing, total, cpu, bare;
};

void measure(Scene* scene, const BenchOptions& o, BenchSeries* m) {
    runFrames(scene, o.warmup, o.frames, &m->evaluation, &m->hooks, &m->drawing, &m->total,
              &m->cpu);
    // The same frames with the particle systems emptied: the mesh alone.
    int counts[2];
    for (int i = 0; i < 2; ++i) {
        counts[i] = scene->particleSystems[i].count;
        scene->particleSystems[i].count = 0;
    }
    Series unused[4];
    runFrames(scene, o.warmup, o.frames, &unused[0], &unused[1], &m->bare, &unused[2], &unused[3]);
    for (int i = 0; i < 2; ++i) scene->particleSystems[i].count = counts[i];
}

void report(const BenchOptions& o, const BenchSeries& m) {
    std::printf("%d frames after %d warm-up frames, milliseconds per renderScene:\n", o.frames,
                o.warmup);
    std::printf("  %-28s %8s %8s %8s\n", "", "mean", "median", "p90");
    const struct {
        const char* name;
        const Series* series;
    } rows[] = {{"evaluation (evaluateScene)", &m.evaluation},
                {"hooks (runSceneHooks)", &m.hooks},
                {"drawing (rest, to glFinish)", &m.drawing},
                {"renderScene total", &m.total},
                {"processor time (all threads)", &m.cpu},
                {"drawing without particles", &m.bare}};
    for (const auto& row : rows)
        std::printf("  %-28s %8.2f %8.2f %8.2f\n", row.name, row.series->mean(),
                    row.series->quantile(0.5), row.series->quantile(0.9));
    std::printf("  = %.1f scenes per second\n", m.total.mean() > 0 ? 1000.0 / m.total.mean() : 0.0);
}

}  // namespace

int main(int argc, char** argv) {
    BenchOptions options;
    const int parsed = parseBenchOptions(argc, argv, &options);
    if (parsed >= 0) return parsed;
    WindowOptions offscreen;
    offscreen.offscreen = true;
    DemoWindow* window = createDemoWindow(640, 480, 0, offscreen);
    if (!window) {
        std::fprintf(stderr, "render-bench: no GL context\n");
        return 1;
    }
    if (!makeDemoState()) {
        std::fprintf(stderr, "render-bench: out of memory\n");
        return 1;
    }
    Scene* scene = prepareBenchScene();
    BenchSeries measured;
    measure(scene, options, &measured);
    if (!options.dumpPath.empty()) {
        renderScene(scene, float(options.warmup + options.frames) * 1.2f);
        if (!dumpFrame(options.dumpPath.c_str()))
            std::fprintf(stderr, "render-bench: cannot write %s\n", options.dumpPath.c_str());
    }
    report(options, measured);
    const GLenum error = glGetError();
    releaseBenchScene(scene);
    if (error != GL_NO_ERROR) {
        std::fprintf(stderr, "render-bench: GL error 0x%x\n", unsigned(error));
        return 1;
    }
    return finishStandardOutput("render-bench", 0);
}
