#pragma once
// Headless contexts for comparing the layer with the driver's own GL 1.1, and
// the picture arithmetic of the comparisons.
#include <string>
#include <vector>

#include "gl11_table.h"

namespace layertest {

struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;  // bottom row first, as GL reads it
};

// An offscreen window with an OpenGL ES 2 context, and the layer started on
// it. False (reason on stderr) when none can be made.
bool openLayerContext(int width, int height);

// The same with the driver's compatibility-profile context (GL 1.1 natively).
bool openNativeContext(int width, int height);

Picture readPicture(const Gl11& gl, int width, int height);

// Peak signal-to-noise ratio over all channels; 99 for identical pictures.
double psnr(const Picture& a, const Picture& b);
int maxDifference(const Picture& a, const Picture& b);
// Share of pixels where a channel differs by more than tolerance.
double differingShare(const Picture& a, const Picture& b, int tolerance);

// Runs each drawing case on a native context in a child process (this
// process links the layer under the GL names, so only a fresh process can
// draw natively) and returns the pictures; empty when that failed.
typedef void (*DrawCase)(const Gl11& gl);
std::vector<Picture> nativePictures(const std::vector<DrawCase>& cases, int width, int height);

bool writePpm(const std::string& path, const Picture& p);

}  // namespace layertest
