// Time of one generated water frame (both generators), with tables built
// from synthetic 128 x 128 pictures.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "fx/water.h"

namespace {

struct WaterSetup {
    std::vector<unsigned char> heightBytes, colourBytes, canvasBytes;
    Image height, colour, canvas;
    std::vector<uint16_t> offsets;
    std::vector<int32_t> texels;

    WaterSetup()
        : heightBytes(waterTexels * 3), colourBytes(waterTexels * 3), canvasBytes(waterTexels * 3),
          offsets(waterTexels), texels(waterTexels) {
        for (int n = 0; n < waterTexels; ++n) {
            int x = n % waterSize, y = n / waterSize;
            unsigned char h = (unsigned char)((x * 7 + y * 3) ^ (x * y));
            heightBytes[n * 3] = heightBytes[n * 3 + 1] = heightBytes[n * 3 + 2] = h;
            colourBytes[n * 3] = (unsigned char)x;
            colourBytes[n * 3 + 1] = (unsigned char)y;
            colourBytes[n * 3 + 2] = (unsigned char)(x + y);
        }
        height = Image{waterSize, waterSize, heightBytes.data()};
        colour = Image{waterSize, waterSize, colourBytes.data()};
        canvas = Image{waterSize, waterSize, canvasBytes.data()};
        buildWaterOffsetTable(&height, offsets.data());
        buildSurfaceTexelTable(&colour, texels.data());
    }
};

// Either generator: both write the whole canvas from the same two tables.
void generate(benchmark::State& state,
              void (*generator)(Image*, const int32_t*, const uint16_t*, float)) {
    WaterSetup w;
    float phase = 0;
    for (auto _ : state) {
        generator(&w.canvas, w.texels.data(), w.offsets.data(), phase);
        benchmark::DoNotOptimize(w.canvasBytes.data());
        benchmark::ClobberMemory();
        phase += 0.5f;
    }
    state.SetItemsProcessed(state.iterations() * waterTexels);
}

void buildTables(benchmark::State& state) {
    WaterSetup w;
    for (auto _ : state) {
        buildWaterOffsetTable(&w.height, w.offsets.data());
        buildSurfaceTexelTable(&w.colour, w.texels.data());
        benchmark::ClobberMemory();
    }
}

}  // namespace

BENCHMARK_CAPTURE(generate, rows, generateWaterTexture)
    ->Name("generateWaterTexture")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(generate, columns, generateWaterTextureTransposed)
    ->Name("generateWaterTextureTransposed")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(buildTables)->Name("buildWaterTables (start-up)")->Unit(benchmark::kMicrosecond);

