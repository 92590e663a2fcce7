#pragma once
#include <string>
#include <vector>

// The numbered PNG frames of a capture folder (frame-000000.png ..., the names
// demo-capture --png writes). A folder may start at any frame (a capture of
// a stretch of music is numbered from its first frame), but the frames must
// follow each other without a gap: a missing frame would shift every time
// after it.

struct FrameFiles {
    std::string folder;
    long first = 0;  // index of the first frame
    long count = 0;
};

// Lists the folder's frames. False with *problem, which names the folder or
// the first missing frame, when the folder cannot be read, holds no frames
// or has a gap.
bool listFrameFiles(const std::string& folder, FrameFiles* frames, std::string* problem);

// The path of frame `frame`.
std::string frameFilePath(const FrameFiles& frames, long frame);

// Decodes one PNG into packed 8-bit RGB, top row first. False with *problem,
// which names the file and what is wrong with it.
bool readFrameFile(const std::string& path, std::vector<unsigned char>* rgb, int* width,
                   int* height, std::string* problem);
