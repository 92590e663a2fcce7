// demo-flashes: counts the flashes in a capture's PNG frames, per second of
// music, against WCAG 2.x's "three flashes or below threshold".
#include <cstdio>
#include <string>
#include <vector>

#include "flash_report.h"
#include "flash_windows.h"
#include "frame_files.h"
#include "options/frame_rate.h"
#include "options/option_reader.h"
#include "options/option_values.h"

namespace {

const char* const usage =
    "usage: demo-flashes --rate N[/D] [--area P] FOLDER\n"
    "Counts the flashes in a capture's PNG frames (frame-000000.png ..., from\n"
    "demo-capture --png) in every one-second window, after WCAG 2.3.1: a flash is a\n"
    "pair of opposite changes of relative luminance of 0.1 or more with the darker\n"
    "state below 0.8 (or of a saturated red) over one patch of the picture at once.\n"
    "\n"
    "  --rate N[/D]  the capture's frames per second, as given to demo-capture\n"
    "  --area P      the patch a flash covers, in percent of the picture (default\n"
    "                25; WCAG's figure for a full-screen picture is about 2.8)\n"
    "  -h, --help    this text\n"
    "\n"
    "Prints per second of music the worst window starting in it (flashes, red\n"
    "flashes, flashing share of the picture, median luminance step), then the worst\n"
    "window. Exit code 0: at most three flashes of each kind within any second;\n"
    "1: more; 2: a bad command line or unreadable frames.\n";

const ProgramUsage program = {"demo-flashes", usage};

int analyse(const std::string& folder, const FrameRate& rate, double area) {
    FrameFiles files;
    std::string problem;
    if (!listFrameFiles(folder, &files, &problem)) {
        std::fprintf(stderr, "%s: %s\n", program.name, problem.c_str());
        return 2;
    }
    FlashAnalysis analysis;
    std::vector<unsigned char> rgb;
    for (long frame = files.first; frame < files.first + files.count; ++frame) {
        const std::string path = frameFilePath(files, frame);
        int width = 0, height = 0;
        if (!readFrameFile(path, &rgb, &width, &height, &problem)) {
            std::fprintf(stderr, "%s: %s\n", program.name, problem.c_str());
            return 2;
        }
        if (frame == files.first) {
            analysis = startFlashAnalysis(width, height, rate.num, rate.den, files.first, area);
        } else if (width != analysis.width || height != analysis.height) {
            std::fprintf(stderr, "%s: %s: %dx%d, the frames before it %dx%d\n", program.name,
                         path.c_str(), width, height, analysis.width, analysis.height);
            return 2;
        }
        addFlashFrame(&analysis, rgb.data());
    }
    finishFlashAnalysis(&analysis);
    printFlashReport(stdout, analysis);
    return flashesPass(analysis.worst) ? 0 : 1;
}

struct FlashOptions {
    FrameRate rate;
    bool rateGiven = false;
    double area = flashAreaShare;
    std::string folder;
};

const char* const areaTaken = "a percentage above 0, up to 100";
const char* const folderTaken = "one folder of PNG frames";

// The argument just read: 0 when taken, else 2 (refused).
int readFlashOption(OptionReader* r, FlashOptions* o) {
    std::string value;
    if (r->option == "--rate") {
        if (const int refused = optionValue(r, &value, frameRateTaken)) return refused;
        if (!parseFrameRate(value, &o->rate))
            return refuseOption(program, r->option, value, frameRateTaken);
        o->rateGiven = true;
    } else if (r->option == "--area") {
        if (const int refused = optionValue(r, &value, areaTaken)) return refused;
        double percent = 0;
        // A percentage is written as seconds are: decimal, no sign.
        if (!parseSeconds(value, &percent) || percent <= 0 || percent > 100)
            return refuseOption(program, r->option, value, areaTaken);
        o->area = percent / 100;
    } else if (!r->option.empty() && r->option[0] == '-') {
        return refuseUnknown(*r);
    } else if (!o->folder.empty()) {
        return refuseOption(program, "the folder", r->option, folderTaken);
    } else {
        o->folder = r->option;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    OptionReader r = startOptions(program, argc, argv);
    FlashOptions o;
    while (nextOption(&r)) {
        if (helpAsked(r)) return showHelp(program);
        if (const int refused = readFlashOption(&r, &o)) return refused;
    }
    // Without the rate every time and window would be silently wrong.
    if (!o.rateGiven) return refuseOption(program, "--rate", nullptr, frameRateTaken);
    if (o.folder.empty()) return refuseOption(program, "the folder", nullptr, folderTaken);
    return analyse(o.folder, o.rate, o.area);
}
