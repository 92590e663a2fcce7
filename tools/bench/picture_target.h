#pragma once
#include <string>

// Where the compared frames of demo-bench are drawn when they differ from the
// demo's own by their samples rather than by the renderer's tunings: a
// framebuffer object with N samples per pixel at the drawable's size, or one
// sample per pixel at K times its width and height (what --supersample K of
// the capture draws). Frames alternate between it and the drawable inside one
// process, so both configurations share the machine's load.
struct PictureTarget {
    int samples = 0;  // asked for: 0 for one sample per pixel
    int scale = 1;    // times the drawable's width and height
    // Filled in by createPictureTarget.
    int width = 0, height = 0;
    int samplesGot = 0;
    unsigned framebuffer = 0, colour = 0, depth = 0;
};

// "msaa2", "msaa4", "msaa8", "msaa16", "supersample2" .. "supersample4".
// False for any other text.
bool parsePictureTarget(const std::string& text, PictureTarget* target);

// Makes the framebuffer for a drawable of drawableWidth x drawableHeight in the
// current GL context. Fewer samples than asked are said on stderr. False with
// the reason in *problem when the GL has no framebuffer objects or refuses it.
bool createPictureTarget(PictureTarget* target, int drawableWidth, int drawableHeight,
                         std::string* problem);

// The next frame draws into the target, its picture filling it.
void beginTargetFrame(const PictureTarget& target);

// The frame just drawn goes to the drawable (the samples resolved, or the
// larger picture scaled down by the GL's linear filter), which draws the
// frames after it again.
void endTargetFrame(const PictureTarget& target, int drawableWidth, int drawableHeight);

// What the compared frames are, for the table's heading.
std::string describePictureTarget(const PictureTarget& target);
