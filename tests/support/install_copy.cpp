#include "support/install_copy.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/process.h"

namespace fs = std::filesystem;

std::vector<std::string> headlessEnv() {
    return {"SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=dummy", "DISPLAY=", "WAYLAND_DISPLAY="};
}

std::string installProgramCopy(const std::string& program, const std::string& tag,
                        const std::vector<std::string>& leaveOut, bool withData) {
    const std::string dir = makeTempDir(tag);
    const std::string name = fs::path(program).filename().string();
    if (dir.empty() || !copyFile(program, dir + "/" + name)) {
        ADD_FAILURE() << "cannot install a copy of " << program;
        return dir;
    }
    if (!withData) return dir;
    fs::create_directory(dir + "/data");
    for (const auto& entry : fs::directory_iterator(DEMO_BUILD_DIR "/data")) {
        const std::string file = entry.path().filename().string();
        bool skip = false;
        for (const std::string& l : leaveOut) skip = skip || l == file;
        if (!skip) fs::create_symlink(entry.path(), dir + "/data/" + file);
    }
    return dir;
}
