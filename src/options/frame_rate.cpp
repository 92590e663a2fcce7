#include "options/frame_rate.h"

#include <cmath>

#include "options/option_values.h"

uint32_t frameTimeMs(const FrameRate& rate, long frame) {
    // n x den / num seconds, to the nearest millisecond, in integers.
    const long long numerator = (long long)frame * rate.den * 1000;
    return uint32_t((numerator * 2 + rate.num) / (2 * rate.num));
}

double frameSeconds(const FrameRate& rate, long frame) {
    return double(frame) * double(rate.den) / double(rate.num);
}

long frameWholeSeconds(const FrameRate& rate, long frame) {
    return long((long long)frame * rate.den / rate.num);
}

long framesBeforeMs(const FrameRate& rate, int64_t ms) {
    // ceil(ms x num / (1000 x den)), in integers.
    const long long n = (long long)ms * rate.num;
    const long long d = 1000LL * rate.den;
    return long((n + d - 1) / d);
}

long firstFrameAtSeconds(const FrameRate& rate, double seconds) {
    const double framesPerSecond = double(rate.num) / double(rate.den);
    return long(std::ceil(seconds * framesPerSecond - 1e-9));
}

long nearestFrame(const FrameRate& rate, double seconds) {
    return long(std::llround(seconds * double(rate.num) / double(rate.den)));
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

std::string frameRateText(const FrameRate& rate) {
    std::string text = std::to_string(rate.num);
    if (rate.den != 1) {
        text += '/';
        text += std::to_string(rate.den);
    }
    text += " fps";
    return text;
}
