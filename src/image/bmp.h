#pragma once
#include "image/image.h"

// Reads a BMP file (literal data name) into a new Image (rows as stored,
// red-green-blue). Stores the result in *out and returns it; null on failure
// after reporting the problem.
Image* loadBmpImage(const char* path, Image** out);

// Same from memory (name used in messages only).
Image* decodeBmpBytes(const unsigned char* data, unsigned long size, const char* name,
                      Image** out);
