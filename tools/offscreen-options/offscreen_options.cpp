#include "offscreen_options.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "frame_size.h"
#include "shell/shell_options.h"

OptionReader startOptions(const char* program, int argc, char** argv) {
    OptionReader r;
    r.program = program;
    r.argc = argc;
    r.argv = argv;
    return r;
}

bool nextOption(OptionReader* r) {
    if (r->next >= r->argc) return false;
    r->option = r->argv[r->next++];
    return true;
}

int optionValue(OptionReader* r, std::string* value) {
    if (r->next >= r->argc) return refuseOption(r->program, r->option + " needs a value");
    *value = r->argv[r->next++];
    return 0;
}

int readSharedOption(OptionReader* r, OffscreenOptions* o, bool* taken) {
    const std::string option = r->option;
    *taken = option == "--rate" || option == "--size" || option == "--msaa" || option == "--data";
    if (!*taken) return 0;
    std::string v;
    if (const int refused = optionValue(r, &v)) return refused;
    if (option == "--rate") {
        if (!parseFrameRate(v, &o->rate))
            return refuseOption(r->program, "bad --rate (use N or N/D, such as 60000/1001)", v);
    } else if (option == "--size") {
        // The demo's 4:3 frame, even sizes (the video encoder needs them).
        const char* problem = nullptr;
        if (!parseFrameSize(v, &o->width, &o->height, &problem))
            return refuseOption(r->program, problem, v);
    } else if (option == "--msaa") {
        if (!parseSampleCount(v.c_str(), &o->msaa))
            return refuseOption(r->program, "bad --msaa (2, 4, 8 or 16)", v);
    } else {
        o->dataDir = v;
    }
    return 0;
}

int refuseOption(const char* program, const std::string& problem) {
    std::fprintf(stderr, "%s: %s\n", program, problem.c_str());
    std::fprintf(stderr, "Try '%s --help'.\n", program);
    return 2;
}

int refuseOption(const char* program, const std::string& problem, const std::string& value) {
    return refuseOption(program, problem + ": '" + value + "'");
}

bool parseFrameRate(const std::string& text, FrameRate* rate) {
    const size_t slash = text.find('/');
    long num = 0, den = 1;
    if (!parseWholeNumber(text.substr(0, slash).c_str(), 1, 100000, &num)) return false;
    if (slash != std::string::npos &&
        !parseWholeNumber(text.c_str() + slash + 1, 1, 100000, &den))
        return false;
    rate->num = num;
    rate->den = den;
    return true;
}

bool parseSeconds(const std::string& text, double* seconds) {
    size_t at = 0;
    auto digits = [&] {
        const size_t from = at;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at;
        return at - from;
    };
    size_t mantissa = digits();
    if (at < text.size() && text[at] == '.') {
        ++at;
        mantissa += digits();
    }
    if (mantissa == 0) return false;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        ++at;
        if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
        if (digits() == 0) return false;
    }
    if (at != text.size()) return false;
    const double v = std::strtod(text.c_str(), nullptr);
    if (!std::isfinite(v)) return false;
    *seconds = v;
    return true;
}

bool splitRange(const std::string& text, std::string* first, std::string* last) {
    const size_t dash = text.find('-');
    if (dash == std::string::npos) return false;
    *first = text.substr(0, dash);
    *last = text.substr(dash + 1);
    return !(first->empty() && last->empty());
}
