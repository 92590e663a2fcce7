#include "offscreen_options.h"

#include "options/option_values.h"

int readSharedOption(OptionReader* r, OffscreenOptions* o, bool* taken) {
    const std::string option = r->option;
    const char* takes = option == "--rate"   ? frameRateTaken
                        : option == "--size" ? frameSizeTaken
                        : option == "--msaa" ? sampleCountTaken
                        : option == "--data" ? "a folder"
                                             : nullptr;
    *taken = takes != nullptr;
    if (!*taken) return 0;
    std::string v;
    if (const int refused = optionValue(r, &v, takes)) return refused;
    const bool good = option == "--rate"   ? parseFrameRate(v, &o->rate)
                      : option == "--size" ? parseFrameSize(v, &o->width, &o->height)
                      : option == "--msaa" ? parseSampleCount(v.c_str(), &o->msaa)
                                           : (o->dataDir = v, true);
    return good ? 0 : refuseOption(r->program, option, v, takes);
}
