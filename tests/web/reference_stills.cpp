// web-reference-stills --at T1,T2,... -o DIR: the desktop build's frames at
// those music times, as demo-capture --at draws them (same runner, 640x480,
// 30 frames a second from 0), but with the frames between the stills drawn
// into a one-pixel scissor box: their state (particles, flares) is made as
// usual, only the rasterizing nobody sees is skipped. The browser tests use
// it to keep their stage short; a test checks that its stills are the
// capture program's, byte for byte.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "png_write.h"
#include "shell/shell_options.h"
#include "shell/still_times.h"
#include "shell/stills_run.h"

namespace {

struct Output {
    std::vector<std::string> names;
    std::string folder;
    std::vector<unsigned char> rgb;
    bool failed = false;
};

bool writeStill(const StillAt& still, void* user) {
    Output* out = static_cast<Output*>(user);
    readFrameRgb(640, 480, out->rgb.data());
    if (!writePng(out->folder + "/at-" + out->names[still.index] + ".png", 640, 480, out->rgb.data()))
        out->failed = true;
    return !out->failed;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5 || std::strcmp(argv[1], "--at") != 0 || std::strcmp(argv[3], "-o") != 0) {
        std::fprintf(stderr, "usage: web-reference-stills --at T1,T2,... -o FOLDER\n");
        return 2;
    }
    std::vector<double> seconds;
    if (!parseStillTimes(argv[2], &seconds)) {
        std::fprintf(stderr, "web-reference-stills: bad times %s\n", argv[2]);
        return 2;
    }
    Output out;
    out.folder = argv[4];
    // The names as given, like demo-capture's at-NAME.png.
    out.names = splitCommaList(argv[2]);
    out.rgb.resize(640 * 480 * 3);
    StillsRun stills;
    stills.run.rate.num = 30;
    stills.run.rate.den = 1;
    stills.run.dataDir = DEMO_DATA_FOLDER;
    stills.frames = stillFrames(seconds, 30);
    stills.onStill = writeStill;
    stills.user = &out;
    const int code = runStills(stills);
    return code != 0 ? code : (out.failed ? 1 : 0);
}
