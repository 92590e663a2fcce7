#include "frame_files.h"

#include <dirent.h>
#include <png.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include "frame_folder.h"

namespace {

const unsigned largestSide = 16384;

// The frame index of "frame-NNNNNN.png" (as frameFileName writes it); -1 for
// any other name, such as a still (at-12.5.png) or a capture's hidden
// half-written file.
long frameIndexOf(const char* name) {
    const size_t n = std::strlen(name);
    if (n < 6 + 6 + 4 || std::strncmp(name, "frame-", 6) != 0 ||
        std::strcmp(name + n - 4, ".png") != 0)
        return -1;
    long index = 0;
    for (size_t i = 6; i < n - 4; ++i) {
        if (name[i] < '0' || name[i] > '9' || index > 100000000) return -1;
        index = index * 10 + (name[i] - '0');
    }
    return frameFileName(index) == name ? index : -1;
}

}  // namespace

bool listFrameFiles(const std::string& folder, FrameFiles* frames, std::string* problem) {
    DIR* dir = opendir(folder.c_str());
    if (!dir) {
        *problem = folder + ": " + std::strerror(errno);
        return false;
    }
    std::vector<long> indices;
    while (const dirent* entry = readdir(dir)) {
        const long index = frameIndexOf(entry->d_name);
        if (index >= 0) indices.push_back(index);
    }
    closedir(dir);
    if (indices.empty()) {
        *problem = folder + ": no frames (frame-000000.png ..., as demo-capture --png writes them)";
        return false;
    }
    std::sort(indices.begin(), indices.end());
    for (size_t i = 1; i < indices.size(); ++i)
        if (indices[i] != indices[i - 1] + 1) {
            *problem = folder + ": " + frameFileName(indices[i - 1] + 1) + " is missing (frames " +
                       frameFileName(indices.front()) + " to " + frameFileName(indices.back()) +
                       ")";
            return false;
        }
    frames->folder = folder;
    frames->first = indices.front();
    frames->count = long(indices.size());
    return true;
}

std::string frameFilePath(const FrameFiles& frames, long frame) {
    return frames.folder + "/" + frameFileName(frame);
}

bool readFrameFile(const std::string& path, std::vector<unsigned char>* rgb, int* width,
                   int* height, std::string* problem) {
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, path.c_str())) {
        // A damaged header can claim any size; no capture is larger than this.
        if (image.width > largestSide || image.height > largestSide) {
            *problem = path + ": a PNG of " + std::to_string(image.width) + "x" +
                       std::to_string(image.height) + " pixels, larger than a capture can be";
            png_image_free(&image);
            return false;
        }
        // Any PNG (grey, palette, alpha, 16 bits) as the 8-bit RGB a viewer sees.
        image.format = PNG_FORMAT_RGB;
        rgb->assign(PNG_IMAGE_SIZE(image), 0);
        if (png_image_finish_read(&image, nullptr, rgb->data(), 0, nullptr)) {
            *width = int(image.width);
            *height = int(image.height);
            return true;
        }
    }
    *problem = path + ": not a readable PNG (" + image.message + ")";
    png_image_free(&image);
    return false;
}
