#pragma once

// A decoded picture: width x height pixels, three bytes each (red, green, blue),
// rows back to back.
struct Image {
    int width;
    int height;  // negative for a BMP stored top-down; pixels then hold |height| rows
    unsigned char* pixels;
};

// The largest picture the readers decode (bytes of RGB output): far above any
// texture the demo uses, and low enough that a damaged header claiming
// gigapixels is refused before anything is allocated.
enum : long { maxDecodedImageBytes = 64L << 20 };

// Frees an Image made by loadBmpImage (pixels and record). Null is fine.
void releaseImage(Image* image);
