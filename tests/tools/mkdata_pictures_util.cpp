#include "mkdata_pictures_util.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "image/jpeg.h"
#include "jpeg_writer.h"
#include "pictures.h"

namespace mkdatatest {

TempDir::TempDir(const char* tag) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/mkdata-" + tag + "-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (mkdtemp(buf.data())) path = buf.data();
}

TempDir::~TempDir() {
    if (path.empty()) return;
    for (const std::string& name : listFiles(path)) unlink((path + "/" + name).c_str());
    rmdir(path.c_str());
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool fileExists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::vector<std::string> listFiles(const std::string& dir) {
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            std::string name = e->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

int Picture::brightest(int x, int y) const {
    return std::max(red(x, y), std::max(green(x, y), blue(x, y)));
}

Picture loadPicture(const std::string& fileName) {
    Picture p;
    unsigned char* pixels = nullptr;
    p.ok = loadJpegImage(("data\\" + fileName).c_str(), &p.width, &p.height, &pixels) == 1;
    if (p.ok) p.bgr.assign(pixels, pixels + size_t(p.width) * p.height * 3);
    std::free(pixels);
    return p;
}

bool writeSomePictures(const std::string& dir, const std::vector<std::string>& names) {
    for (const PictureRecipe& recipe : allPictures()) {
        if (std::find(names.begin(), names.end(), recipe.file) == names.end()) continue;
        Canvas c = makeCanvas(recipe.width, recipe.height, recipe.aspect);
        if (!recipe.draw(c) || !writeJpeg(dir + "/" + recipe.file, c)) return false;
    }
    return true;
}

}  // namespace mkdatatest
