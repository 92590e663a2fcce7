// libFuzzer target: the flare file reader. The reader works on a file, so each
// input is written to one private temporary file first.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "image/flare_config.h"
#include "scene/scene.h"
#include "state/demo_memory.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static char path[64] = "";
    if (!path[0]) std::snprintf(path, sizeof path, "/tmp/fuzz-flare-%d.cfg", int(getpid()));
    FILE* f = std::fopen(path, "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    static Scene scene;
    static Vec3 source = {0, 0, -10};
    // What the last input's load took (its table, its lenses) goes at once.
    emptyDemoArenas();
    scene = Scene{};
    loadFlareConfig(&scene, path, &source);
    return 0;
}
