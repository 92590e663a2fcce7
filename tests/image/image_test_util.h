#pragma once
#include <string>
#include <vector>

#include "support/data_folder.h"

// Helpers shared by the image tests: a JPEG encoder and simple pictures. The
// scratch data folder is ScratchDataFolder.
namespace imagetest {

typedef std::vector<unsigned char> Bytes;

// Encodes rows given top row first, red-green-blue (components 3) or grey
// (components 1), at the highest quality.
Bytes encodeJpeg(int width, int height, int components, const Bytes& pixels,
                 bool progressive = false);

// width x height RGB pixels: the top half one colour, the bottom half another.
Bytes twoBands(int width, int height, const unsigned char top[3], const unsigned char bottom[3]);

}  // namespace imagetest
