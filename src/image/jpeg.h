#pragma once

// Decodes a JPEG file (literal data name). 1 on success: *pixels is a new
// buffer of width*height*3 bytes, top row first, blue-green-red per pixel
// (greyscale files give the same layout). 0 on failure: *pixels is null.
// The caller frees the buffer with free().
int loadJpegImage(const char* path, int* width, int* height, unsigned char** pixels);

// Same from memory.
int decodeJpegBytes(const unsigned char* data, unsigned long size, int* width, int* height,
                    unsigned char** pixels);
