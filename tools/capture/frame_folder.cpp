#include "frame_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

bool isFrameName(const char* name) {
    const size_t n = std::strlen(name);
    const bool png = n > 4 && std::strcmp(name + n - 4, ".png") == 0;
    return png && (std::strncmp(name, "frame-", 6) == 0 || std::strncmp(name, "at-", 3) == 0);
}

uint32_t bigEndian32(const unsigned char* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

}  // namespace

std::string frameFileName(long frame) {
    char name[40];
    std::snprintf(name, sizeof name, "frame-%06ld.png", frame);
    return name;
}

bool readPngSize(const std::string& path, int* width, int* height) {
    // Signature (8 bytes), then the IHDR chunk: length, type, width, height.
    unsigned char head[24];
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    const ssize_t n = read(fd, head, sizeof head);
    close(fd);
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (n != ssize_t(sizeof head) || std::memcmp(head, signature, 8) != 0 ||
        std::memcmp(head + 12, "IHDR", 4) != 0)
        return false;
    *width = int(bigEndian32(head + 16));
    *height = int(bigEndian32(head + 20));
    return true;
}

bool folderFramesMatch(const std::string& folder, int width, int height, std::string* other,
                       int* otherWidth, int* otherHeight) {
    DIR* dir = opendir(folder.c_str());
    if (!dir) return true;  // nothing there yet
    bool match = true;
    while (const dirent* entry = readdir(dir)) {
        if (!isFrameName(entry->d_name)) continue;
        int w = 0, h = 0;
        // A file without a PNG header (an empty leftover) is simply overwritten.
        if (!readPngSize(folder + "/" + entry->d_name, &w, &h)) continue;
        if (w != width || h != height) {
            *other = entry->d_name;
            *otherWidth = w;
            *otherHeight = h;
            match = false;
            break;
        }
    }
    closedir(dir);
    return match;
}
