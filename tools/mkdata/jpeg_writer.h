#pragma once
// Baseline JPEG files (libjpeg-turbo), the same bytes on every run.
#include <string>

#include "canvas.h"

// Clamps the canvas to 0..1 and writes it at the given quality, 4:4:4, with
// optimised Huffman tables. Returns false after printing why.
bool writeJpeg(const std::string& path, const Canvas& canvas, int quality = 90);

// Turns a float channel into a byte with rounding and clamping.
inline unsigned char toByte(float v) {
    float s = v * 255.0f + 0.5f;
    return s <= 0 ? 0 : (s >= 255 ? 255 : static_cast<unsigned char>(s));
}
