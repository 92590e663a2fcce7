// micro-bench: the micro-benchmarks of the demo's hot loops (Google
// Benchmark); the water generators are in water.cpp.
//
// Cost of one scene evaluation per vertex: 50 objects of 2,000 vertices each,
// animated camera and objects, as a plain, an environment-mapped and a
// two-layer material.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "scene/evaluate.h"
#include "scene/scene_builder.h"
#include "scene/texture_slot.h"
#include "state/demo_state.h"

namespace {

const int objectCount = 50;
const int gridWidth = 40, gridHeight = 50;  // 2,000 vertices per object
const int vertexTotal = objectCount * gridWidth * gridHeight;
const int plainSlot = 1, envMapSlot = 2, twoLayerSlot = 3;

// A wavy sheet of triangles, two per grid cell.
void addSheet(Scene* scene, int index, int slot) {
    std::vector<Vec3> vertices;
    std::vector<scenebuild::Triangle> triangles;
    for (int y = 0; y < gridHeight; ++y)
        for (int x = 0; x < gridWidth; ++x)
            vertices.push_back(Vec3{float(x), float(y), std::sin(float(x + y) * 0.3f)});
    for (int y = 0; y + 1 < gridHeight; ++y)
        for (int x = 0; x + 1 < gridWidth; ++x) {
            int a = y * gridWidth + x;
            triangles.push_back({a, a + 1, a + gridWidth});
            triangles.push_back({a + 1, a + gridWidth + 1, a + gridWidth});
        }
    float angle = float(index) * 0.13f;
    int o = scenebuild::addObject(
        scene, vertices, triangles, slot,
        Vec3{float(index % 10) * 50.0f, 200.0f + float(index / 10) * 50.0f, 0},
        Quat{std::cos(angle), 0, 0, std::sin(angle)});
    SceneObject* object = &scene->objects[o];
    std::free(object->positionTrack.keys);
    object->positionTrack = scenebuild::positionTrack(
        {scenebuild::positionKey(0, {float(index), 200, 0}, {}, {10, 10, 0}),
         scenebuild::positionKey(500, {float(index) + 100, 300, 20}, {10, 10, 0}, {}),
         scenebuild::positionKey(1000, {float(index), 200, 0})});
    std::free(object->rotationTrack.keys);
    object->rotationTrack = scenebuild::rotationTrack(
        {scenebuild::rotationKey(0, {1, 0, 0, 0}),
         scenebuild::rotationKey(1000, {std::cos(angle), 0, std::sin(angle), 0})});
    if (index % 5 == 4) scenebuild::setParent(scene, o, o - 1);
}

Scene* buildScene(int slot) {
    Scene* scene = scenebuild::newScene({0, -50, 30}, {200, 300, 0});
    SceneCamera* camera = scene->camera;
    std::free(camera->positionTrack.keys);
    camera->positionTrack = scenebuild::positionTrack(
        {scenebuild::positionKey(0, {0, -50, 30}), scenebuild::positionKey(1000, {400, -80, 60})});
    for (int i = 0; i < objectCount; ++i) addSheet(scene, i, slot);
    for (int i = 0; i < 4; ++i) scenebuild::addLight(scene, Vec3{float(i) * 100, 300, 50});
    return scene;
}

void evaluate(benchmark::State& state, int slot) {
    std::vector<TextureSlot> table(textureTableSize, TextureSlot{});
    table[envMapSlot].flags = textureFlagEnvMap;
    table[twoLayerSlot].flags = textureFlagTwoLayer;
    table[twoLayerSlot].texScale2 = 0.03f;
    demo.TextureTable = table.data();
    Scene* scene = buildScene(slot);
    float time = 0;
    for (auto _ : state) {
        evaluateScene(scene, time);
        benchmark::DoNotOptimize(scene->objects[0].viewVertices[0]);
        time += 1.0f;
        if (time > 1000.0f) time = 0.0f;
    }
    state.counters["ns_per_vertex"] =
        benchmark::Counter(double(vertexTotal), benchmark::Counter::kIsIterationInvariantRate |
                                                    benchmark::Counter::kInvert);
    scenebuild::deleteScene(scene);
    demo.TextureTable = nullptr;
}

void BM_EvaluatePlain(benchmark::State& state) { evaluate(state, plainSlot); }
void BM_EvaluateEnvMapped(benchmark::State& state) { evaluate(state, envMapSlot); }
void BM_EvaluateTwoLayer(benchmark::State& state) { evaluate(state, twoLayerSlot); }
BENCHMARK(BM_EvaluatePlain)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EvaluateEnvMapped)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EvaluateTwoLayer)->Unit(benchmark::kMicrosecond);

// Adds one plain line per evaluation benchmark: nanoseconds per vertex, in
// CPU time (a shared machine inflates the wall time) and in wall time.
class PerVertexReporter : public benchmark::ConsoleReporter {
public:
    PerVertexReporter() : ConsoleReporter(OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.iterations == 0 || run.benchmark_name().rfind("BM_Evaluate", 0) != 0) continue;
            double perVertex = 1e9 / double(run.iterations) / vertexTotal;
            std::printf("%s: %.2f ns per vertex CPU, %.2f ns wall (%d vertices, %d objects)\n",
                        run.benchmark_name().c_str(), run.cpu_accumulated_time * perVertex,
                        run.real_accumulated_time * perVertex, vertexTotal, objectCount);
        }
    }
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    PerVertexReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
