#include "image/flare_config.h"

#include <sys/stat.h>

#include <climits>
#include <cstdio>
#include <cstdlib>

#include "image/config_reader.h"
#include "image/texture_table.h"
#include "platform/data_path.h"
#include "platform/report_error.h"

namespace {
const int maxLensesPerSet = 64;
}

void loadFlareConfig(Scene* scene, const char* path, Vec3* source) {
    if (scene->flareSetCount >= maxSceneTableEntries) {
        std::fprintf(stderr, "flare set table full (%d sets): %s not added\n",
                     maxSceneTableEntries, path);
        return;
    }
    char real[PATH_MAX];
    FILE* file = resolveDataPath(path, real, sizeof real) ? std::fopen(real, "rb") : nullptr;
    struct stat info;
    if (file && (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode))) {
        std::fclose(file);  // a folder opens, but holds no flare data
        file = nullptr;
    }
    if (!file) {
        reportError("cannot load flaredata");
        return;
    }

    int lensCount, distance, preLight, angle, blend;
    seekConfigSection(file, "[Flare]");
    readConfigInt(file, "NumberOfFlares: ", &lensCount);
    readConfigInt(file, "FlareDistance: ", &distance);
    readConfigInt(file, "FlarePreLight: ", &preLight);
    readConfigInt(file, "FlareAngle: ", &angle);
    readConfigInt(file, "FlareBlend: ", &blend);  // read, never used

    if (lensCount < 0) lensCount = 0;
    if (lensCount > maxLensesPerSet) {
        std::fprintf(stderr, "%s: %d lenses, only the first %d are used\n", path, lensCount,
                     maxLensesPerSet);
        lensCount = maxLensesPerSet;
    }

    FlareSet* set = &scene->flareSets[scene->flareSetCount++];
    set->lenses = static_cast<FlareLens*>(std::calloc(size_t(lensCount) + 1, sizeof(FlareLens)));
    set->lensCount = set->lenses ? lensCount : 0;
    set->preLight = preLight;
    set->spacing = float(distance) / 256;
    set->falloff = float(angle) / 256;
    set->fadeRate = float(angle) / 2560;
    set->intensity = 0;
    set->source = source;
    set->fadeDir = 1;

    for (int k = 1; k <= set->lensCount; ++k) {
        char header[32], fileName[configLineSize];
        int size, red, green, blue;
        std::snprintf(header, sizeof header, "[Lens %d]", k);
        seekConfigSection(file, header);
        readConfigString(file, "Filename: ", fileName);
        readConfigInt(file, "size: ", &size);
        readConfigInt(file, "colour red: ", &red);
        readConfigInt(file, "colour green: ", &green);
        readConfigInt(file, "colour blue: ", &blue);

        FlareLens* lens = &set->lenses[k - 1];
        lens->size = float(size) / 255;
        lens->red = float(red) / 255;
        lens->green = float(green) / 255;
        lens->blue = float(blue) / 255;
        // A lens without a file name simply has no picture.
        if (fileName[0]) loadPicture(fileName, &lens->glTexture);
    }
    std::fclose(file);
}
