#include "output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

std::string temporaryNameBeside(const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot > 0;
    const std::string stem = hasExtension ? name.substr(0, dot) : name;
    const std::string extension = hasExtension ? name.substr(dot) : "";
    return folder + "." + stem + ".part-" + std::to_string(long(getpid())) + extension;
}

std::string createTemporaryBeside(const std::string& path) {
    // A folder of that name would only refuse the rename at the very end.
    struct stat info;
    if (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return "";
    const std::string temporary = temporaryNameBeside(path);
    // A leftover of an earlier run with the same process id is replaced.
    unlink(temporary.c_str());
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return "";
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
