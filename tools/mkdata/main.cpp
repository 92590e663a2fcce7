// mkdata: writes the demo's whole data folder.
//   mkdata [--out DIR] [--only pictures|bitmaps|flares|scenes|music] [--sheet FILE.png]
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "mkdata.h"

namespace {
void printUsage(FILE* out) {
    std::fprintf(out,
                 "usage: mkdata [--out DIR] [--only pictures|bitmaps|flares|scenes|music] "
                 "[--sheet FILE.png]\n");
}

int usage() {
    printUsage(stderr);
    return 2;
}

// -h / --help: the usage on standard output, which must take it.
int help() {
    printUsage(stdout);
    if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return 0;
    std::fprintf(stderr, "mkdata: cannot write to standard output (%s)\n", std::strerror(errno));
    return 1;
}
}  // namespace

int main(int argc, char** argv) {
    std::string out = "data";
    std::string only;
    std::string sheet;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "-h") || !std::strcmp(argv[i], "--help")) {
            return help();
        } else if (!std::strcmp(argv[i], "--out") && i + 1 < argc) {
            out = argv[++i];
        } else if (!std::strcmp(argv[i], "--only") && i + 1 < argc) {
            only = argv[++i];
        } else if (!std::strcmp(argv[i], "--sheet") && i + 1 < argc) {
            sheet = argv[++i];
        } else {
            std::fprintf(stderr, "mkdata: unknown option '%s'\n", argv[i]);
            return usage();
        }
    }
    if (!sheet.empty() && only.empty()) {
        // Review mode: only the contact sheet of an existing folder.
        return writeContactSheet(out.c_str(), sheet.c_str()) ? 0 : 1;
    }
    if (mkdir(out.c_str(), 0755) != 0 && errno != EEXIST) {
        std::fprintf(stderr, "mkdata: cannot create folder %s\n", out.c_str());
        return 1;
    }
    struct Step {
        const char* name;
        int (*write)(const char*);
    };
    const Step steps[] = {{"pictures", writePictures}, {"bitmaps", writeWaterBitmaps},
                          {"flares", writeFlareConfig}, {"scenes", writeScenes},
                          {"music", writeSoundtrack}};
    bool known = only.empty();
    for (const Step& step : steps) {
        if (!only.empty() && only != step.name) continue;
        known = true;
        if (!step.write(out.c_str())) {
            std::fprintf(stderr, "mkdata: writing the %s failed\n", step.name);
            return 1;
        }
    }
    if (!known) {
        std::fprintf(stderr, "mkdata: unknown part '%s'\n", only.c_str());
        return usage();
    }
    return 0;
}
