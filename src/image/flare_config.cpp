#include "image/flare_config.h"

#include <cstdio>
#include <cstdlib>

#include "image/config_reader.h"
#include "image/texture_table.h"
#include "platform/data_file.h"
#include "platform/data_path.h"
#include "platform/report_error.h"
#include "state/demo_memory.h"

namespace {
const int maxLensesPerSet = 64;
}

namespace {

// The [Flare] section's numbers (the file's FlareBlend is read and never used).
struct FlareHeader {
    int lensCount, distance, preLight, angle, blend;
};

FlareHeader readFlareHeader(ConfigText* file, const char* path) {
    FlareHeader h;
    // An empty or foreign file still gives a flare, without lenses, but says so.
    if (!seekConfigSection(file, "[Flare]"))
        std::fprintf(stderr, "%s: no [Flare] section; the flare has no lenses\n", path);
    readConfigInt(file, "NumberOfFlares: ", &h.lensCount);
    readConfigInt(file, "FlareDistance: ", &h.distance);
    readConfigInt(file, "FlarePreLight: ", &h.preLight);
    readConfigInt(file, "FlareAngle: ", &h.angle);
    readConfigInt(file, "FlareBlend: ", &h.blend);
    if (h.lensCount < 0) h.lensCount = 0;
    if (h.lensCount > maxLensesPerSet) {
        std::fprintf(stderr, "%s: %d lenses, only the first %d are used\n", path, h.lensCount,
                     maxLensesPerSet);
        h.lensCount = maxLensesPerSet;
    }
    return h;
}

// Lens k (from 1) of the file: its size, colour and picture.
void readFlareLens(ConfigText* file, const char* path, int k, FlareLens* lens) {
    char header[32], fileName[configLineSize];
    int size, red, green, blue;
    std::snprintf(header, sizeof header, "[Lens %d]", k);
    seekConfigSection(file, header);
    readConfigString(file, "Filename: ", fileName);
    readConfigInt(file, "size: ", &size);
    readConfigInt(file, "colour red: ", &red);
    readConfigInt(file, "colour green: ", &green);
    readConfigInt(file, "colour blue: ", &blue);

    lens->size = float(size) / 255;
    lens->red = float(red) / 255;
    lens->green = float(green) / 255;
    lens->blue = float(blue) / 255;
    // A lens without a file name simply has no picture, and so has one
    // whose name leads out of the data folder: the file must not make
    // the program read elsewhere.
    const char* problem = fileName[0] ? dataNameProblem(fileName) : nullptr;
    if (problem) {
        std::fprintf(stderr, "%s: lens %d: the picture %s is refused (%s); the lens has no picture\n",
                     path, k, fileName, problem);
    } else if (fileName[0] && !dataNameStaysInside(fileName)) {
        std::fprintf(stderr,
                     "%s: lens %d: the picture %s lies outside the data folder; the lens "
                     "has no picture\n",
                     path, k, fileName);
    } else if (fileName[0]) {
        loadPicture(fileName, &lens->glTexture);
    }
}

}  // namespace

void loadFlareConfig(Scene* scene, const char* path, Vec3* source) {
    if (scene->flareSetCount >= maxSceneTableEntries) {
        std::fprintf(stderr, "flare set table full (%d sets): %s not added\n",
                     maxSceneTableEntries, path);
        return;
    }
    // The table is there even when the file is not: the part bodies set the
    // fade of the first set of the scenes that ask for one.
    if (!takeFlareSetTable(scene)) {
        std::fprintf(stderr, "flare set table: out of memory: %s not added\n", path);
        return;
    }
    // The file is read once: every section is searched from its start, so a
    // large file read section by section would cost its size for each lens.
    unsigned char* bytes = nullptr;
    long long size = 0;
    if (readDataFile(path, maxFlareFileBytes, &bytes, &size) != dataFileOk) {
        reportError("cannot load flaredata");
        return;
    }
    ConfigText text = {reinterpret_cast<const char*>(bytes), size_t(size), 0};
    const FlareHeader h = readFlareHeader(&text, path);

    FlareSet* set = &scene->flareSets[scene->flareSetCount++];
    set->lenses = takeDemoArray<FlareLens>(DemoMemory::fixed, size_t(h.lensCount) + 1);
    set->lensCount = set->lenses ? h.lensCount : 0;
    set->preLight = h.preLight;
    set->spacing = float(h.distance) / 256;
    set->falloff = float(h.angle) / 256;
    set->fadeRate = float(h.angle) / 2560;
    set->intensity = 0;
    set->source = source;
    set->fadeDir = 1;
    for (int k = 1; k <= set->lensCount; ++k) readFlareLens(&text, path, k, &set->lenses[k - 1]);
    std::free(bytes);
}
