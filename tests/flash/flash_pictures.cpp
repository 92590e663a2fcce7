#include "flash_pictures.h"

std::vector<unsigned char> plainPicture(int width, int height, Rgb colour) {
    return bandPicture(width, height, 0, colour, colour);
}

std::vector<unsigned char> bandPicture(int width, int height, int rows, Rgb top, Rgb rest) {
    std::vector<unsigned char> rgb(size_t(width) * size_t(height) * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Rgb c = y < rows ? top : rest;
            unsigned char* p = &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
            p[0] = c.r;
            p[1] = c.g;
            p[2] = c.b;
        }
    return rgb;
}

FlashAnalysis analyseFrames(int width, int height, long rate, long frames,
                            const std::function<std::vector<unsigned char>(long)>& picture,
                            long firstFrame) {
    FlashAnalysis a = startFlashAnalysis(width, height, rate, 1, firstFrame);
    for (long f = firstFrame; f < firstFrame + frames; ++f) addFlashFrame(&a, picture(f).data());
    finishFlashAnalysis(&a);
    return a;
}

bool squareWaveOn(long frame, long rate, long perSecond) {
    return frame * perSecond * 2 / rate % 2 == 0;
}
