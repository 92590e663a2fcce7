#include "platform/display_modes.h"

int findBestDisplayMode(const DisplayMode* modes, int count, int width, int height) {
    int best = -1;
    int bestBits = -1;
    for (int i = 0; i < count && i < maxDisplayModes - 1; ++i) {
        if (modes[i].width == width && modes[i].height == height &&
            modes[i].bitsPerPixel > bestBits) {
            best = i;
            bestBits = modes[i].bitsPerPixel;
        }
    }
    return best;
}
