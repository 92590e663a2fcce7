#pragma once
// Helpers for the tests of the generated pictures, water bitmaps and flare file.
#include <string>
#include <vector>

namespace mkdatatest {

// A fresh folder under $TMPDIR (or /tmp); removed with its files by the destructor.
struct TempDir {
    explicit TempDir(const char* tag);
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string path;
};

std::string readFile(const std::string& path);
bool fileExists(const std::string& path);
std::vector<std::string> listFiles(const std::string& dir);  // sorted names

// A picture decoded with the demo's own JPEG loader (through the data
// directory, so the name is the literal "data\\..." one).
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> bgr;  // top row first, blue-green-red
    bool ok = false;
    // Channel values of the pixel at column x, row y (row 0 = top).
    int red(int x, int y) const { return bgr[(size_t(y) * width + x) * 3 + 2]; }
    int green(int x, int y) const { return bgr[(size_t(y) * width + x) * 3 + 1]; }
    int blue(int x, int y) const { return bgr[(size_t(y) * width + x) * 3]; }
    int brightest(int x, int y) const;
};
Picture loadPicture(const std::string& fileName);  // e.g. "lens1.jpg"

// Writes only the named pictures of the generator into dir.
bool writeSomePictures(const std::string& dir, const std::vector<std::string>& names);

}  // namespace mkdatatest
