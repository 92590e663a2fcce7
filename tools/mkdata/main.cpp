// mkdata: writes the demo's whole data folder.
//   mkdata [--out DIR] [--only pictures|bitmaps|flares|scenes|music] [--sheet FILE.png]
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "mkdata.h"
#include "options/option_reader.h"

namespace {
// The first word of every message, and what --help prints.
const ProgramUsage program = {
    "mkdata",
    "usage: mkdata [--out DIR] [--only pictures|bitmaps|flares|scenes|music] "
    "[--sheet FILE.png]\n"};
const char* const partsTaken = "pictures, bitmaps, flares, scenes or music";
}  // namespace

int main(int argc, char** argv) {
    std::string out = "data";
    std::string only;
    std::string sheet;
    OptionReader r = startOptions(program, argc, argv);
    while (nextOption(&r)) {
        int refused = 0;
        if (helpAsked(r))
            return showHelp(program);
        else if (r.option == "--out")
            refused = optionValue(&r, &out, "a folder");
        else if (r.option == "--only")
            refused = optionValue(&r, &only, partsTaken);
        else if (r.option == "--sheet")
            refused = optionValue(&r, &sheet, "a PNG file name");
        else
            refused = refuseUnknown(r);
        if (refused) return refused;
    }
    if (!sheet.empty() && only.empty()) {
        // Review mode: only the contact sheet of an existing folder.
        return writeContactSheet(out.c_str(), sheet.c_str()) ? 0 : 1;
    }
    struct Step {
        const char* name;
        int (*write)(const char*);
    };
    const Step steps[] = {{"pictures", writePictures}, {"bitmaps", writeWaterBitmaps},
                          {"flares", writeFlareConfig}, {"scenes", writeScenes},
                          {"music", writeSoundtrack}};
    // A refused command line leaves no folder behind.
    bool known = only.empty();
    for (const Step& step : steps) known = known || only == step.name;
    if (!known) return refuseOption(program, "--only", only, partsTaken);
    if (mkdir(out.c_str(), 0755) != 0 && errno != EEXIST) {
        std::fprintf(stderr, "mkdata: cannot create folder %s\n", out.c_str());
        return 1;
    }
    for (const Step& step : steps) {
        if (!only.empty() && only != step.name) continue;
        if (!step.write(out.c_str())) {
            std::fprintf(stderr, "mkdata: writing the %s failed\n", step.name);
            return 1;
        }
    }
    return 0;
}
