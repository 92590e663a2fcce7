// libFuzzer target: the scene file reader on arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "scene/scene.h"
#include "scene/scene_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Scene scene;
    std::memset(&scene, 0, sizeof scene);
    if (loadSceneBytes(data, long(size), "fuzz.dat", &scene, 10)) releaseSceneContents(&scene);
    return 0;
}
