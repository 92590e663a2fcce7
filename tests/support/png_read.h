#pragma once
#include <string>
#include <vector>

// Decodes a PNG file into packed RGB rows, top row first. The size goes to
// width and height where given. False when the file cannot be read or decoded.
bool readPngRgb(const std::string& path, std::vector<unsigned char>* rgb, int* width = nullptr,
                int* height = nullptr);
