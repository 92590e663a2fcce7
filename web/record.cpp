#include "record.h"

#include <emscripten.h>

#include <cstdio>
#include <vector>

#include "image/downsample.h"
#include "options/frame_rate.h"
#include "platform/data_path.h"
#include "platform/report_error.h"
#include "platform/web/web_present.h"
#include "script/timeline.h"
#include "shell/headless_run.h"
#include "shell/stills_run.h"
#include "state/gentle_mode.h"

namespace {

// The page opens its file, encoder and muxer for frames [first, end) and
// takes the soundtrack's bytes; 1 when it is ready for the frames.
EM_ASYNC_JS(int, pageRecordBegin,
            (long first, long end, long num, long den, const unsigned char* mp3, int mp3Size), {
    const bytes = HEAPU8.slice(mp3, mp3 + mp3Size);
    return (await Module.page.recordBegin(first, end, num, den, bytes.buffer)) ? 1 : 0;
});

// One frame, RGB rows top first; 1 to go on, 0 when the page stops (a Cancel
// or a failure it has said).
EM_ASYNC_JS(int, pageRecordFrame, (const unsigned char* rgb, int width, int height, long index), {
    return (await Module.page.recordFrame(HEAPU8.subarray(rgb, rgb + width * height * 3), width,
                                          height, index)) ? 1 : 0;
});

// The frames are done (or stopped): the page finishes or removes its file.
EM_ASYNC_JS(int, pageRecordEnd, (int drawnAll), {
    return (await Module.page.recordEnd(drawnAll != 0)) ? 1 : 0;
});

struct Recording {
    int width = 0, height = 0, supersample = 1;
    long first = 0, end = 0;
    std::vector<unsigned char> large;  // the frame as drawn, supersampled
    std::vector<unsigned char> rgb;
    bool stopped = false;
};

bool takeFrame(const StillAt& still, void* user) {
    Recording* r = static_cast<Recording*>(user);
    const int k = r->supersample;
    if (k > 1) {
        readFrameRgb(r->width * k, r->height * k, r->large.data());
        downsampleRgb(r->large.data(), r->width, r->height, k, true, r->rgb.data());
    } else {
        readFrameRgb(r->width, r->height, r->rgb.data());
    }
    if (!pageRecordFrame(r->rgb.data(), r->width, r->height, long(still.index))) r->stopped = true;
    return !r->stopped;
}

bool readSoundtrack(std::vector<unsigned char>* bytes) {
    char path[512];
    if (!resolveDataPath("data\\5tfina.mp3", path, sizeof path)) return false;
    FILE* f = std::fopen(path, "rb");
    if (!f) return false;
    unsigned char block[65536];
    size_t n;
    while ((n = std::fread(block, 1, sizeof block, f)) > 0) bytes->insert(bytes->end(), block, block + n);
    std::fclose(f);
    return !bytes->empty();
}

}  // namespace

int recordInPage(const char* settings) {
    double start = 0, end = 0;
    long num = 0, den = 0;
    int width = 0, height = 0, k = 0, gentle = 0;
    if (std::sscanf(settings, "%lf,%lf,%ld,%ld,%d,%d,%d,%d", &start, &end, &num, &den, &width, &height,
                    &k, &gentle) != 8 ||
        num < 1 || den < 1 || width < 2 || height < 2 || k < 1 || k > 4 || start < 0) {
        reportError("bad recording (START,END,NUM,DEN,WIDTH,HEIGHT,SUPERSAMPLE,GENTLE)");
        return 2;
    }
    Recording r;
    r.width = width;
    r.height = height;
    r.supersample = k;
    StillsRun stills;
    stills.run.rate.num = num;
    stills.run.rate.den = den;
    stills.run.width = width * k;
    stills.run.height = height * k;
    // The span's frames, as demo-capture --time counts them.
    r.first = firstFrameAtSeconds(stills.run.rate, start);
    r.end = firstFrameAtSeconds(stills.run.rate, end > 0 ? end : timelineEndSeconds);
    if (r.end <= r.first) {
        reportError("the recording's span holds no frame");
        return 2;
    }
    std::vector<unsigned char> mp3;
    if (!readSoundtrack(&mp3)) {
        reportError("cannot read the soundtrack data\\5tfina.mp3");
        return 1;
    }
    r.rgb.resize(size_t(width) * size_t(height) * 3);
    if (k > 1) r.large.resize(size_t(width) * k * size_t(height) * k * 3);
    for (long f = r.first; f < r.end; ++f) stills.frames.push_back(f);
    stills.onStill = takeFrame;
    stills.user = &r;
    // Before loading: gentle play tempers some pictures as they load.
    gentleMode.on = gentle != 0;
    setPresentPacing(PresentPacing::free);
    if (!pageRecordBegin(r.first, r.end, num, den, mp3.data(), int(mp3.size()))) return 1;
    mp3 = std::vector<unsigned char>();
    const int code = runStills(stills);
    const bool finished = pageRecordEnd(code == 0 && !r.stopped);
    return finished ? 0 : 1;
}
