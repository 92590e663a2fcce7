// web-reference-stills --at T1,T2,... -o DIR: the desktop build's frames at
// those music times, as demo-capture --at draws them (same runner, 640x480,
// 30 frames a second from 0), but with the frames between the stills drawn
// into a one-pixel scissor box: their state (particles, flares) is made as
// usual, only the rasterizing nobody sees is skipped. The browser tests use
// it to keep their stage short; a test checks that its stills are the
// capture program's, byte for byte.
#include <GL/gl.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "shell/headless_run.h"
#include "shell/shell_options.h"
#include "png_write.h"
#include "still_times.h"

namespace {

struct Stills {
    std::vector<std::string> names;
    std::vector<long> frames;
    long last = 0;
    std::string folder;
    std::vector<unsigned char> rgb;
    bool failed = false;
};

bool isStill(const Stills& s, long frame) {
    for (long f : s.frames)
        if (f == frame) return true;
    return false;
}

bool onFrame(long frame, void* user) {
    Stills* s = static_cast<Stills*>(user);
    for (size_t i = 0; i < s->frames.size(); ++i) {
        if (s->frames[i] != frame) continue;
        readFrameRgb(640, 480, s->rgb.data());
        if (!writePng(s->folder + "/at-" + s->names[i] + ".png", 640, 480, s->rgb.data()))
            s->failed = true;
    }
    if (isStill(*s, frame + 1)) {
        glDisable(GL_SCISSOR_TEST);
    } else {
        glEnable(GL_SCISSOR_TEST);
        glScissor(0, 0, 1, 1);
    }
    return frame < s->last && !s->failed;
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
    Stills s;
    s.folder = argv[4];
    s.frames = stillFrames(seconds, 30);
    for (long f : s.frames) s.last = f > s.last ? f : s.last;
    // The names as given, like demo-capture's at-NAME.png.
    s.names = splitCommaList(argv[2]);
    s.rgb.resize(640 * 480 * 3);
    HeadlessRun run;
    run.rate.num = 30;
    run.rate.den = 1;
    run.onFrame = onFrame;
    run.user = &s;
    run.dataDir = DEMO_DATA_FOLDER;
    const int code = runHeadless(run, nullptr);
    return code != 0 ? code : (s.failed ? 1 : 0);
}
