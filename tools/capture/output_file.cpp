#include "output_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

std::string temporaryNameBeside(const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot > 0;
    std::string stem = hasExtension ? name.substr(0, dot) : name;
    const std::string extension = hasExtension ? name.substr(dot) : "";
    const std::string tail = ".part-" + std::to_string(long(getpid())) + extension;
    // A name the file system takes must keep a temporary name it takes too:
    // the stem gives way, never the target's name.
    const size_t room = NAME_MAX > 1 + tail.size() ? NAME_MAX - 1 - tail.size() : 1;
    if (stem.size() > room) stem.resize(room);
    return folder + "." + stem + tail;
}

namespace {

// ".STEM.part-PID" or ".STEM.part-PID.EXT": the process id, or 0.
long temporaryOwner(const char* name) {
    if (name[0] != '.') return 0;
    const char* part = std::strstr(name + 1, ".part-");
    if (!part) return 0;
    for (const char* next; (next = std::strstr(part + 1, ".part-"));) part = next;
    const char* digits = part + 6;
    char* end = nullptr;
    errno = 0;
    const long pid = std::strtol(digits, &end, 10);
    if (end == digits || errno != 0 || pid <= 0 || (*end != '\0' && *end != '.')) return 0;
    if (*end == '.' && std::strchr(end + 1, '.')) return 0;
    return pid;
}

}  // namespace

void removeStaleTemporaries(const std::string& folder) {
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return;
    while (dirent* e = readdir(dir)) {
        const long pid = temporaryOwner(e->d_name);
        if (pid <= 0 || pid == long(getpid())) continue;
        // Still running (or not ours to ask): its file stays.
        if (kill(pid_t(pid), 0) == 0 || errno != ESRCH) continue;
        const std::string path = (folder.empty() ? "" : folder + "/") + e->d_name;
        struct stat info;
        if (lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) unlink(path.c_str());
    }
    closedir(dir);
}

std::string createTemporaryBeside(const std::string& path, std::string* reason) {
    std::string dummy;
    if (!reason) reason = &dummy;
    const size_t slash = path.rfind('/');
    const std::string folder =
        slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    struct stat info;
    if (path.empty() || path.back() == '/') {
        *reason = "the name is a folder's";
        return "";
    }
    // A folder of that name would only refuse the rename at the very end.
    if (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        *reason = "there is a folder of that name";
        return "";
    }
    if (stat(folder.c_str(), &info) != 0) {
        *reason = "the folder " + folder + (errno == ENOTDIR ? " is not a folder" : " does not exist");
        return "";
    }
    if (!S_ISDIR(info.st_mode)) {
        *reason = folder + " is not a folder";
        return "";
    }
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.size() > NAME_MAX) {
        *reason = "the name is longer than the " + std::to_string(NAME_MAX) +
                  " characters a file name may have";
        return "";
    }
    // What a capture killed outright left behind here goes now.
    removeStaleTemporaries(slash == std::string::npos ? "" : folder);
    const std::string temporary = temporaryNameBeside(path);
    // A leftover of an earlier run with the same process id is replaced.
    unlink(temporary.c_str());
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        const int error = errno;
        *reason = error == EACCES ? "the folder " + folder + " is not writable"
                                  : std::string(std::strerror(error));
        return "";
    }
    close(fd);
    return temporary;
}

bool commitTemporary(const std::string& temporary, const std::string& path) {
    if (std::rename(temporary.c_str(), path.c_str()) == 0) return true;
    const int error = errno;
    std::fprintf(stderr, "demo-capture: cannot write %s (%s)\n", path.c_str(), std::strerror(error));
    unlink(temporary.c_str());
    return false;
}

void discardTemporary(const std::string& temporary) {
    if (!temporary.empty()) unlink(temporary.c_str());
}

std::string ffmpegFileArgument(const std::string& path) {
    if (!path.empty() && path[0] == '/') return "file:" + path;
    char cwd[PATH_MAX];
    if (!getcwd(cwd, sizeof cwd)) return "file:./" + path;
    return "file:" + std::string(cwd) + "/" + path;
}
