#pragma once
#include <string>

// The picture size of the offscreen programs: "WxH", 4:3 (the demo's own
// shape, so every part is framed as designed) and even in both directions
// (the video encoder needs that), 8192 at most. False with the problem
// ("bad size (use WxH)", "size is not 4:3", "size is not a multiple of 2").
bool parseFrameSize(const std::string& text, int* width, int* height, const char** problem);
