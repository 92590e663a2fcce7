#include "flash_report.h"

#include <algorithm>

#include "options/frame_rate.h"

namespace {

double frameTime(const FlashAnalysis& a, long frame) {
    return frameSeconds(FrameRate{a.rateNum, a.rateDen}, frame);
}

void printRate(std::FILE* out, const FlashAnalysis& a) {
    std::fputs(frameRateText(FrameRate{a.rateNum, a.rateDen}).c_str(), out);
}

}  // namespace

void printFlashReport(std::FILE* out, const FlashAnalysis& a) {
    const long last = a.firstFrame + a.framesFed - 1;
    std::fprintf(out, "frames %ld-%ld, %dx%d at ", a.firstFrame, last, a.width, a.height);
    printRate(out, a);
    std::fprintf(out, " (%.3f-%.3f s), flashes over %g %% of the picture\n",
                 frameTime(a, a.firstFrame), frameTime(a, last + 1), 100.0 * a.general.area);
    std::fprintf(out, "second  flashes  red  area %%  step\n");
    for (const SecondFlashes& s : a.seconds)
        std::fprintf(out, "%6ld  %7d  %3d  %6.1f  %4.2f\n", s.second, s.worst.flashes,
                     s.worst.redFlashes, 100.0 * s.worst.area, s.worst.step);
    const WindowFlashes& w = a.worst;
    const long end = std::min(w.firstFrame + a.windowFrames, last + 1);
    std::fprintf(out,
                 "worst one-second window: %d flashes, %d red, from %.3f s (frames %ld-%ld), "
                 "%.1f %% of the picture, step %.2f\n",
                 w.flashes, w.redFlashes, frameTime(a, w.firstFrame), w.firstFrame, end - 1,
                 100.0 * w.area, w.step);
    std::fprintf(out, "%s\n",
                 flashesPass(w) ? "passes: three flashes or fewer within any one second"
                                : "fails: more than three flashes within one second");
}
