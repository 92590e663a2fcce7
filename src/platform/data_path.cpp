#include "platform/data_path.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstring>

namespace {
char dataDir[PATH_MAX + 16] = "";
bool dataDirSet = false;
// The installed data folder, when it was searched too and is not there either.
char installedDir[PATH_MAX + 32] = "";

// The folder of the running executable, so the data is found wherever the
// user starts the program from.
void findDefaultDataDir() {
    char exe[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0) {
        std::snprintf(dataDir, sizeof dataDir, "data");
        return;
    }
    exe[n] = '\0';
    char* slash = std::strrchr(exe, '/');
    if (slash) *slash = '\0';
    std::snprintf(dataDir, sizeof dataDir, "%s/data", exe);
    // Installed, the programs are in PREFIX/bin and the data in
    // PREFIX/share/quelltarn/data.
    struct stat st;
    if (stat(dataDir, &st) == 0 && S_ISDIR(st.st_mode)) return;
    char installed[sizeof dataDir];
    const int len = std::snprintf(installed, sizeof installed, "%s/../share/quelltarn/data", exe);
    if (len > 0 && size_t(len) < sizeof installed && stat(installed, &st) == 0 && S_ISDIR(st.st_mode)) {
        std::memcpy(dataDir, installed, size_t(len) + 1);
        return;
    }
    // Neither is there: messages name both, with PREFIX spelt out.
    char* parent = std::strrchr(exe, '/');
    if (parent && parent != exe) {
        *parent = '\0';
        std::snprintf(installedDir, sizeof installedDir, "%s/share/quelltarn/data", exe);
    } else {
        std::snprintf(installedDir, sizeof installedDir, "/share/quelltarn/data");
    }
}
}  // namespace

void setDataDirectory(const char* dir) {
    std::snprintf(dataDir, sizeof dataDir, "%s", dir);
    installedDir[0] = '\0';
    size_t len = std::strlen(dataDir);
    while (len > 1 && dataDir[len - 1] == '/') dataDir[--len] = '\0';
    dataDirSet = true;
}

const char* dataDirectory() {
    if (!dataDirSet) {
        findDefaultDataDir();
        dataDirSet = true;
    }
    return dataDir;
}

namespace {
bool isDeviceName(const char* part, size_t length) {
    // The device is named by the part up to its first dot, spaces and dots
    // at its end not counted ("con .jpg" and "NUL." are devices too).
    size_t base = 0;
    while (base < length && part[base] != '.') ++base;
    while (base > 0 && part[base - 1] == ' ') --base;
    char upper[8];
    if (base < 3 || base > 4) return false;
    for (size_t i = 0; i < base; ++i)
        upper[i] = (part[i] >= 'a' && part[i] <= 'z') ? char(part[i] - 32) : part[i];
    upper[base] = '\0';
    if (base == 3)
        return !std::strcmp(upper, "CON") || !std::strcmp(upper, "PRN") ||
               !std::strcmp(upper, "AUX") || !std::strcmp(upper, "NUL");
    return (!std::strncmp(upper, "COM", 3) || !std::strncmp(upper, "LPT", 3)) && upper[3] >= '1' &&
           upper[3] <= '9';
}
}  // namespace

const char* dataNameProblem(const char* name) {
    if (!name) return nullptr;
    const size_t len = std::strlen(name);
    // Windows' limit for a whole path, of which the name is only a part.
    if (len >= 260) return "it is longer than Windows' path limit of 260 characters";
    const auto sep = [](char c) { return c == '\\' || c == '/'; };
    if (len >= 2 && sep(name[0]) && sep(name[1])) return "it names a network path";
    if (len >= 2 && name[1] == ':' &&
        ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z')))
        return "it names a drive";
    if (std::strchr(name, ':')) return "a colon in a name names a stream of a file on Windows";
    for (size_t i = 0; i < len;) {
        size_t end = i;
        while (end < len && !sep(name[end])) ++end;
        if (isDeviceName(name + i, end - i)) return "it names a device on Windows, not a file";
        i = end + 1;
    }
    return nullptr;
}

int resolveDataPath(const char* name, char* out, size_t outSize) {
    if (!name || !out || outSize == 0) return 0;
    if (dataNameProblem(name)) return 0;
    char mapped[PATH_MAX];
    size_t len = std::strlen(name);
    if (len >= sizeof mapped) return 0;
    for (size_t i = 0; i <= len; ++i) mapped[i] = name[i] == '\\' ? '/' : name[i];

    int written;
    if (std::strncmp(mapped, "data/", 5) == 0) {
        written = std::snprintf(out, outSize, "%s/%s", dataDirectory(), mapped + 5);
    } else if (mapped[0] == '/') {
        written = std::snprintf(out, outSize, "%s", mapped);
    } else {
        // Other relative names live beside the data folder, like the data itself.
        const char* dir = dataDirectory();
        const char* slash = std::strrchr(dir, '/');
        if (slash)
            written = std::snprintf(out, outSize, "%.*s/%s", int(slash - dir), dir, mapped);
        else
            written = std::snprintf(out, outSize, "%s", mapped);
    }
    return written > 0 && size_t(written) < outSize ? 1 : 0;
}

bool dataNameStaysInside(const char* name) {
    if (!name || dataNameProblem(name)) return false;
    const size_t len = std::strlen(name);
    if (len < 6 || (std::strncmp(name, "data\\", 5) != 0 && std::strncmp(name, "data/", 5) != 0))
        return false;
    // Walk the parts after "data": each ".." takes one back, and none may
    // take the name above the folder, not even on the way to a file in it.
    int depth = 0;
    size_t i = 5;
    while (i < len) {
        size_t end = i;
        while (end < len && name[end] != '\\' && name[end] != '/') ++end;
        const size_t part = end - i;
        if (part == 2 && name[i] == '.' && name[i + 1] == '.') {
            if (--depth < 0) return false;
        } else if (part > 0 && !(part == 1 && name[i] == '.')) {
            ++depth;
        }
        i = end + 1;
    }
    return depth > 0;
}

void describeSearchedFolder(const char* realPath, char* out, size_t outSize) {
    if (!out || outSize == 0) return;
    char folder[PATH_MAX];
    std::snprintf(folder, sizeof folder, "%s", realPath ? realPath : "");
    char* slash = std::strrchr(folder, '/');
    if (slash == folder)
        slash[1] = '\0';
    else if (slash)
        *slash = '\0';
    else
        std::snprintf(folder, sizeof folder, ".");
    // An absolute folder reads better in a message than a relative one.
    char absolute[PATH_MAX + 2];
    if (folder[0] != '/') {
        char cwd[PATH_MAX] = "";
        if (getcwd(cwd, sizeof cwd) && std::strcmp(folder, ".") == 0)
            std::snprintf(absolute, sizeof absolute, "%s", cwd);
        else if (cwd[0] == '/')
            std::snprintf(absolute, sizeof absolute, "%s/%s", cwd, folder);
        else
            std::snprintf(absolute, sizeof absolute, "%s", folder);
    } else {
        std::snprintf(absolute, sizeof absolute, "%s", folder);
    }
    struct stat info;
    if (stat(absolute, &info) == 0 && S_ISDIR(info.st_mode)) {
        std::snprintf(out, outSize, "no such file in %s", absolute);
        return;
    }
    // A file, a pipe or a device where a folder should be (the folder itself
    // or one above it) is no missing folder.
    char above[PATH_MAX + 2];
    std::snprintf(above, sizeof above, "%s", absolute);
    for (;;) {
        if (stat(above, &info) == 0) {
            if (!S_ISDIR(info.st_mode)) {
                std::snprintf(out, outSize, "%s is not a folder", above);
                return;
            }
            break;
        }
        char* up = std::strrchr(above, '/');
        if (!up || up == above) break;
        *up = '\0';
    }
    const bool defaultFolder = installedDir[0] && realPath && std::strcmp(realPath, dataDir) > 0 &&
                               std::strncmp(realPath, dataDir, std::strlen(dataDir)) == 0;
    if (defaultFolder)
        std::snprintf(out, outSize,
                      "no such file in %s, which does not exist, nor does the installed data "
                      "folder %s",
                      absolute, installedDir);
    else
        std::snprintf(out, outSize, "no such file in %s, which does not exist", absolute);
}
