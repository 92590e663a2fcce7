#pragma once
// Words for the pictures, rendered with FreeType from the packaged DejaVu
// fonts (Debian package fonts-dejavu-core).
#include "canvas.h"

extern const char* const fontBold;        // DejaVuSans-Bold
extern const char* const fontSans;        // DejaVuSans
extern const char* const fontLight;       // DejaVuSans-ExtraLight
extern const char* const fontSerifBold;   // DejaVuSerif-Bold
extern const char* const fontCondensed;   // DejaVuSansCondensed-Bold

struct TextOptions {
    float tracking = 0.0f;     // extra space between letters, in line heights
    bool readsUpward = false;  // turned a quarter turn anticlockwise
    bool fullHeight = false;   // keep the font's whole line height (for lists)
                               // instead of cropping to the ink
};

// One line of text as a coverage mask cropped to its ink (plus a margin of a
// tenth of the height); the mask's aspect is its pixel width over height.
// Empty (0x0) when the font cannot be loaded; the error is printed.
Mask renderTextLine(const char* fontFile, const char* utf8, int pixelHeight,
                    const TextOptions& options = TextOptions());

// Where a text mask lands on a canvas, in design units. Upright text fills
// (x, y, x + w, y + h); text reading upward is turned a quarter turn
// anticlockwise into the same rectangle.
struct TextPlace {
    float x, y, w, h;
    bool readsUpward;
};

// Largest placement of `text` inside the box, centred, keeping its shape.
TextPlace fitTextBox(const Mask& text, float x0, float y0, float x1, float y1,
                     bool readsUpward = false);

// Draws the text mask into dst (max of coverage), supersampled.
void stampText(Mask& dst, const Mask& text, const TextPlace& place);

// Convenience: renders `utf8` big enough for the canvas and fits it into the box.
// Returns false (after printing why) when the font is missing.
bool drawTextInBox(Mask& dst, const char* fontFile, const char* utf8, float x0, float y0,
                   float x1, float y1, const TextOptions& options = TextOptions());
