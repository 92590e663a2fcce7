#pragma once
#include <string>
#include <vector>

// The values the programs' options take, each read one way everywhere. Every
// reader returns false on anything it does not take and leaves its result
// untouched then.

// A whole number: decimal digits only (no sign, space or trailing text), from
// low to high.
bool parseWholeNumber(const char* text, long low, long high, long* number);

// A sample count as every --msaa takes it: exactly "2", "4", "8" or "16".
bool parseSampleCount(const char* text, int* samples);
inline constexpr const char* sampleCountTaken = "2, 4, 8 or 16 samples per pixel";

// Seconds: decimal digits with an optional fraction and exponent ("12.5",
// ".5", "1e3"); no sign, space, hexadecimal, infinity or "nan".
bool parseSeconds(const std::string& text, double* seconds);

// Plain seconds, as a viewer writes them: the same without an exponent.
bool parsePlainSeconds(const std::string& text, double* seconds);

// A comma list: the items between the commas in order, empty ones kept (""
// is one empty item, "1," two).
std::vector<std::string> splitCommaList(const std::string& text);

// "A-B", "A-" or "-B" into its two ends (one may be empty, not both).
bool splitRange(const std::string& text, std::string* first, std::string* last);

// A picture size "WxH": 4:3 (the demo's own shape, so every part is framed as
// designed), even in both directions (the video encoder needs that), 8192 at
// most.
bool parseFrameSize(const std::string& text, int* width, int* height);
inline constexpr const char* frameSizeTaken =
    "WxH, 4:3, each a multiple of 2, 8192x6144 at most (such as 1280x960)";
