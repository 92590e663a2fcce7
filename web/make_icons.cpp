// Makes the page's app icons from the demo's own title picture, at build
// time (run under node): the logo whole, centred on black, in a square of
// each size asked for, as PNG files "icon-SIZE.png".
//   make_icons LOGO.jpg OUT_DIR SIZE...
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO_FILENAME_CONVERT
#include <stb/stb_image_write.h>

#include "image/jpeg.h"
#include "options/option_reader.h"
#include "options/option_values.h"
#include "platform/data_file.h"

namespace {

const ProgramUsage program = {"make_icons", "usage: make_icons LOGO.jpg OUT_DIR SIZE...\n"};
const char* const sizeTaken = "a whole number of pixels from 16 to 1024";

struct IconsAsked {
    std::string logo, outDir;
    std::vector<std::string> sizes;
};

// -1 to go on, else the exit code (help shown, or the command line refused).
int readIconOptions(int argc, char** argv, IconsAsked* asked) {
    OptionReader r = startOptions(program, argc, argv);
    while (nextOption(&r)) {
        if (helpAsked(r)) return showHelp(program);
        if (r.option.size() > 1 && r.option[0] == '-') return refuseUnknown(r);
        long size = 0;
        if (asked->logo.empty()) {
            asked->logo = r.option;
        } else if (asked->outDir.empty()) {
            asked->outDir = r.option;
        } else if (!parseWholeNumber(r.option.c_str(), 16, 1024, &size)) {
            return refuseOption(program, "SIZE", r.option, sizeTaken);
        } else {
            asked->sizes.push_back(r.option);
        }
    }
    if (asked->sizes.empty())
        return refuseOption(program, "the command line", nullptr, "LOGO.jpg OUT_DIR SIZE...");
    return -1;
}

// The picture (BGR) scaled into a size x size RGB square: each icon pixel is
// the mean of the picture's pixels it covers.
std::vector<unsigned char> iconOf(const unsigned char* bgr, int w, int h, int size) {
    std::vector<unsigned char> rgb(size_t(size) * size * 3, 0);
    const double scale = double(size) / (w > h ? w : h);
    const int dw = int(w * scale + 0.5), dh = int(h * scale + 0.5);
    const int x0 = (size - dw) / 2, y0 = (size - dh) / 2;
    for (int y = 0; y < dh; ++y)
        for (int x = 0; x < dw; ++x) {
            const int sx0 = int(x / scale), sx1 = std::max(sx0 + 1, int((x + 1) / scale));
            const int sy0 = int(y / scale), sy1 = std::max(sy0 + 1, int((y + 1) / scale));
            double sum[3] = {0, 0, 0};
            int count = 0;
            for (int sy = sy0; sy < sy1 && sy < h; ++sy)
                for (int sx = sx0; sx < sx1 && sx < w; ++sx, ++count)
                    for (int c = 0; c < 3; ++c) sum[c] += bgr[(size_t(sy) * w + sx) * 3 + 2 - c];
            unsigned char* out = &rgb[(size_t(y0 + y) * size + x0 + x) * 3];
            for (int c = 0; c < 3; ++c) out[c] = (unsigned char)(count ? sum[c] / count + 0.5 : 0);
        }
    return rgb;
}

}  // namespace

int main(int argc, char** argv) {
    IconsAsked asked;
    if (const int code = readIconOptions(argc, argv, &asked); code >= 0) return code;
    unsigned char* jpeg = nullptr;
    long long size = 0;
    int w = 0, h = 0;
    unsigned char* bgr = nullptr;
    const char* logo = asked.logo.c_str();
    const bool read = readRegularFile(logo, 1LL << 26, &jpeg, &size) == dataFileOk;
    if (!read || !decodeJpegBytes(jpeg, (unsigned long)size, &w, &h, &bgr)) {
        std::fprintf(stderr, "make_icons: cannot read the picture %s\n", logo);
        return 1;
    }
    std::free(jpeg);
    for (const std::string& asText : asked.sizes) {
        const int size = std::atoi(asText.c_str());
        const std::vector<unsigned char> rgb = iconOf(bgr, w, h, size);
        const std::string out = asked.outDir + "/icon-" + asText + ".png";
        if (!stbi_write_png(out.c_str(), size, size, 3, rgb.data(), size * 3)) {
            std::fprintf(stderr, "make_icons: cannot write %s\n", out.c_str());
            return 1;
        }
    }
    std::free(bgr);
    return 0;
}
