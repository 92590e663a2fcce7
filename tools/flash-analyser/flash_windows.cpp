#include "flash_windows.h"

#include <algorithm>

#include "options/frame_rate.h"

namespace {

// Flashes first (general or red, whichever is more), then the area.
bool worse(const WindowFlashes& a, const WindowFlashes& b) {
    const int worstA = std::max(a.flashes, a.redFlashes), worstB = std::max(b.flashes, b.redFlashes);
    if (worstA != worstB) return worstA > worstB;
    if (a.flashes != b.flashes) return a.flashes > b.flashes;
    if (a.redFlashes != b.redFlashes) return a.redFlashes > b.redFlashes;
    return a.area > b.area;
}

// The first of a track's transitions at or after frame `start`, searching on from `from`.
size_t firstFrom(const FlashTrack& t, size_t from, long start) {
    while (from < t.transitions.size() && t.transitions[from].frame < start) ++from;
    return from;
}

// Transitions of a track in the window from `start` (the first at or after
// index *from, which moves on with the windows).
int transitionsIn(const FlashTrack& t, size_t* from, long start, long end) {
    *from = firstFrom(t, *from, start);
    size_t i = *from;
    while (i < t.transitions.size() && t.transitions[i].frame < end) ++i;
    return int(i - *from);
}

void judgeWindow(FlashAnalysis* a, long start) {
    const long end = start + a->windowFrames;
    WindowFlashes w;
    w.firstFrame = start;
    const int general = transitionsIn(a->general, &a->generalFrom, start, end);
    w.flashes = general / 2;
    w.redFlashes = transitionsIn(a->red, &a->redFrom, start, end) / 2;
    for (int i = 0; i < general; ++i) {
        const PictureTransition& p = a->general.transitions[a->generalFrom + size_t(i)];
        w.area = std::max(w.area, p.area);
        w.step = std::max(w.step, p.step);
    }

    const long second = frameSecond(start, a->rateNum, a->rateDen);
    if (a->seconds.empty() || a->seconds.back().second != second)
        a->seconds.push_back({second, w});
    else if (worse(w, a->seconds.back().worst))
        a->seconds.back().worst = w;
    if (!a->anyWindow || worse(w, a->worst)) a->worst = w;
    a->anyWindow = true;
}

}  // namespace

long flashWindowFrames(long rateNum, long rateDen) {
    // The most frames whose first and last lie less than a second apart.
    return framesBeforeMs(FrameRate{rateNum, rateDen}, 1000);
}

long frameSecond(long frame, long rateNum, long rateDen) {
    return frameWholeSeconds(FrameRate{rateNum, rateDen}, frame);
}

FlashAnalysis startFlashAnalysis(int width, int height, long rateNum, long rateDen,
                                 long firstFrame, double area) {
    FlashAnalysis a;
    a.width = width;
    a.height = height;
    a.rateNum = rateNum;
    a.rateDen = rateDen;
    a.firstFrame = firstFrame;
    a.windowFrames = flashWindowFrames(rateNum, rateDen);
    a.grid = cellGrid(width, height, flashGridCells);
    const std::vector<int> pixels = cellPixelCounts(a.grid);
    // Transitions begin together within a twentieth of a second, and may take
    // a quarter of a second to grow past their thresholds.
    // (The frames within 50 and 250 ms, rounded up: 3 and 15 at 60 fps.)
    const long together = framesBeforeMs(FrameRate{rateNum, rateDen}, 50);
    const long settle = framesBeforeMs(FrameRate{rateNum, rateDen}, 250);
    a.general = startFlashTrack(FlashKind::general, pixels, a.grid.columns, firstFrame, together,
                                settle, area);
    a.red = startFlashTrack(FlashKind::red, pixels, a.grid.columns, firstFrame, together, settle,
                            area);
    return a;
}

void addFlashFrame(FlashAnalysis* a, const unsigned char* rgb) {
    const long frame = a->firstFrame + a->framesFed;
    measureFrameLight(rgb, a->grid, &a->light);
    trackFlashFrame(&a->general, a->light.luminance, a->light.saturatedRed, frame);
    trackFlashFrame(&a->red, a->light.redness, a->light.saturatedRed, frame);
    ++a->framesFed;
    const long start = frame - a->windowFrames + 1;
    if (start >= a->firstFrame) judgeWindow(a, start);
}

void finishFlashAnalysis(FlashAnalysis* a) {
    if (a->framesFed == 0) return;
    if (!a->anyWindow) judgeWindow(a, a->firstFrame);
}

bool flashesPass(const WindowFlashes& worst) {
    return worst.flashes <= 3 && worst.redFlashes <= 3;
}
