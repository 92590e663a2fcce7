#pragma once
#include <string>
#include <vector>

// Collects every reportError text while alive.
struct ErrorCapture {
    ErrorCapture();
    ~ErrorCapture();
    std::vector<std::string> texts;
    bool contains(const std::string& part) const;
};
