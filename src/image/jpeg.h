#pragma once
#include <cstddef>

// Decodes a JPEG file (literal data name). 1 on success: *pixels is a new
// buffer of width*height*3 bytes, top row first, blue-green-red per pixel
// (greyscale files give the same layout). 0 on failure: *pixels is null.
// The caller frees the buffer with free(). A failure prints one line naming
// the file and the reason on stderr.
int loadJpegImage(const char* path, int* width, int* height, unsigned char** pixels);

// Same from memory.
int decodeJpegBytes(const unsigned char* data, unsigned long size, int* width, int* height,
                    unsigned char** pixels);

// Same, and on failure writes the reason into problem (when not null).
int decodeJpegBytesWhy(const unsigned char* data, unsigned long size, int* width, int* height,
                       unsigned char** pixels, char* problem, size_t problemSize);
