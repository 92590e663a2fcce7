#pragma once
#include <string>

// The file of frame n among numbered PNG frames: "frame-000042.png".
std::string frameFileName(long frame);

// Frames of two captures of different sizes in one folder would mix
// silently: a folder is only written into when every frame already there
// (frame-*.png, at-*.png) has the size of the new ones. Files without a
// PNG header are not counted as frames.
// Returns true when the folder is fine; otherwise false with the name and
// size of a frame that differs.
bool folderFramesMatch(const std::string& folder, int width, int height, std::string* other,
                       int* otherWidth, int* otherHeight);

// Width and height from a PNG file's header; false when it is no PNG.
bool readPngSize(const std::string& path, int* width, int* height);
