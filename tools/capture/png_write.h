#pragma once
#include <string>

// Writes an 8-bit RGB PNG, rows top first. False (with a line on stderr) on failure.
bool writePng(const std::string& path, int width, int height, const unsigned char* rgb);
