// libFuzzer target: the scene file reader on arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "scene/scene.h"
#include "scene/scene_file.h"
#include "state/demo_memory.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Scene scene;
    std::memset(&scene, 0, sizeof scene);
    if (loadSceneBytes(data, long(size), "fuzz.dat", &scene, 10)) releaseSceneContents(&scene);
    // What the reader took stays in the demo's arenas until they are emptied.
    emptyDemoArenas();
    return 0;
}
