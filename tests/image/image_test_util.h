#pragma once
#include <string>
#include <vector>

// Helpers shared by the image tests: a scratch data folder and a JPEG encoder.
namespace imagetest {

typedef std::vector<unsigned char> Bytes;

// A fresh folder under /tmp, made the data directory while alive and
// removed with its files afterwards.
struct DataDir {
    DataDir();
    ~DataDir();
    std::string path;
    void write(const std::string& name, const Bytes& bytes) const;
    void write(const std::string& name, const std::string& text) const;
};

// Encodes rows given top row first, red-green-blue (components 3) or grey
// (components 1), at the highest quality.
Bytes encodeJpeg(int width, int height, int components, const Bytes& pixels,
                 bool progressive = false);

// width x height RGB pixels: the top half one colour, the bottom half another.
Bytes twoBands(int width, int height, const unsigned char top[3], const unsigned char bottom[3]);

}  // namespace imagetest
