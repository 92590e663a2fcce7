#pragma once
#include <cstdint>
#include <string>

// A frame rate of a fixed-step clock (the offscreen programs, the stills, a
// seek): frame n is drawn at music time n x den / num seconds. Every way the
// programs turn frames into time and time into frames is here, beside it.

struct FrameRate {
    long num = 60;
    long den = 1;
};

// Music time of frame n, to the nearest millisecond (the clock's own unit).
uint32_t frameTimeMs(const FrameRate& rate, long frame);

// Music time of frame n (or the length of n frames), in seconds.
double frameSeconds(const FrameRate& rate, long frame);

// The whole seconds of music before frame n: the second it falls in.
long frameWholeSeconds(const FrameRate& rate, long frame);

// The frames whose exact time is below `ms`; also the first frame at or
// after it.
long framesBeforeMs(const FrameRate& rate, int64_t ms);

// The first frame at or after a time in seconds (a hair below a whole frame
// counts as that frame): where a range of seconds starts and ends.
long firstFrameAtSeconds(const FrameRate& rate, double seconds);

// The frame nearest a time in seconds: a single still.
long nearestFrame(const FrameRate& rate, double seconds);

// "60", "60000/1001": whole numbers from 1 to 100000. "29.97" is refused (use
// a fraction). False on anything else, the rate untouched.
bool parseFrameRate(const std::string& text, FrameRate* rate);
inline constexpr const char* frameRateTaken =
    "frames a second, N or N/D in whole numbers up to 100000 (such as 60000/1001)";

// "60 fps", "60000/1001 fps".
std::string frameRateText(const FrameRate& rate);
