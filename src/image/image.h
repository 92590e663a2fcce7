#pragma once

// A decoded picture: width x height pixels, three bytes each (red, green, blue),
// rows back to back.
struct Image {
    int width;
    int height;  // negative for a BMP stored top-down; pixels then hold |height| rows
    unsigned char* pixels;
};

// Frees an Image made by loadBmpImage (pixels and record). Null is fine.
void releaseImage(Image* image);
