#include "platform/data_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/data_path.h"

namespace {

const char* kindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a named pipe";
    if (S_ISSOCK(mode)) return "a socket";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    return "not a regular file";
}

DataFileStatus statusOfErrno(int error) {
    if (error == ENOENT || error == ENOTDIR) return dataFileMissing;
    if (error == EACCES || error == EPERM) return dataFileDenied;
    if (error == ELOOP) return dataFileLinkLoop;
    return dataFileUnreadable;
}

}  // namespace

int openRegularFile(const char* path, DataFileStatus* status, const char** kind) {
    DataFileStatus dummy;
    if (!status) status = &dummy;
    if (kind) *kind = nullptr;
    if (!path || !*path) {
        *status = dataFileMissing;
        return -1;
    }
    // Non-blocking, so a named pipe without a writer (or a device that waits
    // for a carrier) opens at once and can be refused by what it is.
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        // Windows does not open a folder at all ("permission denied"): say
        // what stands there instead.
        struct stat info;
        if (error == EACCES && stat(path, &info) == 0 && S_ISDIR(info.st_mode)) {
            if (kind) *kind = kindOf(info.st_mode);
            *status = dataFileNotRegular;
            return -1;
        }
        *status = statusOfErrno(error);
        return -1;
    }
    struct stat info;
    if (fstat(fd, &info) != 0) {
        close(fd);
        *status = dataFileUnreadable;
        return -1;
    }
    if (!S_ISREG(info.st_mode)) {
        close(fd);
        if (kind) *kind = kindOf(info.st_mode);
        *status = dataFileNotRegular;
        return -1;
    }
    // Plain blocking reads from here on.
    const int flags = fcntl(fd, F_GETFL);
    if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    *status = dataFileOk;
    return fd;
}

DataFileStatus checkRegularFile(const char* path, const char** kind) {
    DataFileStatus status;
    const int fd = openRegularFile(path, &status, kind);
    if (fd >= 0) close(fd);
    return status;
}

DataFileStatus readRegularFile(const char* path, long long maxBytes, unsigned char** data,
                               long long* size, const char** kind) {
    *data = nullptr;
    *size = 0;
    DataFileStatus status;
    const int fd = openRegularFile(path, &status, kind);
    if (fd < 0) return status;
    struct stat info;
    if (fstat(fd, &info) != 0) {
        close(fd);
        return dataFileUnreadable;
    }
    *size = (long long)info.st_size;
    if (info.st_size < 0 || (long long)info.st_size > maxBytes) {
        close(fd);
        return dataFileTooLarge;
    }
    const size_t bytes = size_t(info.st_size);
    unsigned char* buffer = static_cast<unsigned char*>(std::malloc(bytes > 0 ? bytes : 1));
    if (!buffer) {
        close(fd);
        return dataFileUnreadable;
    }
    size_t done = 0;
    while (done < bytes) {
        const ssize_t n = read(fd, buffer + done, bytes - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;  // the file shrank, or a read error
        done += size_t(n);
    }
    close(fd);
    if (done != bytes) {
        std::free(buffer);
        return dataFileUnreadable;
    }
    *data = buffer;
    return dataFileOk;
}

DataFileStatus readDataFile(const char* name, long long maxBytes, unsigned char** data,
                            long long* size, bool quiet) {
    *data = nullptr;
    *size = 0;
    char real[PATH_MAX];
    if (!name || !resolveDataPath(name, real, sizeof real)) {
        if (!quiet) printDataFileProblem(name, nullptr, dataFileMissing);
        return dataFileMissing;
    }
    const char* kind = nullptr;
    const DataFileStatus status = readRegularFile(real, maxBytes, data, size, &kind);
    if (status != dataFileOk && !quiet)
        printDataFileProblem(name, real, status, kind, *size, maxBytes);
    return status;
}

FILE* openDataFileStream(const char* name) {
    char real[PATH_MAX];
    if (!name || !resolveDataPath(name, real, sizeof real)) {
        printDataFileProblem(name, nullptr, dataFileMissing);
        return nullptr;
    }
    DataFileStatus status;
    const char* kind = nullptr;
    const int fd = openRegularFile(real, &status, &kind);
    if (fd < 0) {
        printDataFileProblem(name, real, status, kind);
        return nullptr;
    }
    FILE* file = fdopen(fd, "rb");
    if (!file) {
        close(fd);
        printDataFileProblem(name, real, dataFileUnreadable);
    }
    return file;
}

void formatByteCount(char* out, size_t outSize, long long bytes) {
    if (bytes >= (1LL << 20) && bytes % (1LL << 20) == 0)
        std::snprintf(out, outSize, "%lld MB", bytes >> 20);
    else if (bytes >= (1LL << 20))
        std::snprintf(out, outSize, "%.1f MB", double(bytes) / double(1LL << 20));
    else if (bytes >= 1024 && bytes % 1024 == 0)
        std::snprintf(out, outSize, "%lld KB", bytes >> 10);
    else
        std::snprintf(out, outSize, "%lld bytes", bytes);
}

// The problems said in a few words, with the path they were found at after them.
static const char* reasonBesidePath(DataFileStatus status) {
    if (status == dataFileDenied) return "permission denied";
    if (status == dataFileLinkLoop) return "its symbolic links lead round in a loop";
    return "the file cannot be read";
}

void describeDataFileProblem(char* out, size_t outSize, const char* name, const char* realPath,
                             DataFileStatus status, const char* kind, long long size,
                             long long limit) {
    if (!out || outSize == 0) return;
    const char* shown = name && *name ? name : "(no name)";
    const char* path = realPath ? realPath : shown;
    char where[2 * PATH_MAX + 128];
    char a[32], b[32];
    switch (status) {
        case dataFileOk:
            std::snprintf(out, outSize, "%s: fine", shown);
            break;
        case dataFileMissing:
            if (realPath) {
                describeSearchedFolder(realPath, where, sizeof where);
                std::snprintf(out, outSize, "%s: %s", shown, where);
            } else if (const char* problem = dataNameProblem(name)) {
                std::snprintf(out, outSize, "%s: refused, not opened: %s", shown, problem);
            } else {
                std::snprintf(out, outSize, "%s: the name is too long for a path", shown);
            }
            break;
        case dataFileDenied:
        case dataFileLinkLoop:
        case dataFileUnreadable:
            std::snprintf(out, outSize, "%s: %s (%s)", shown, reasonBesidePath(status), path);
            break;
        case dataFileNotRegular:
            std::snprintf(out, outSize, "%s: not a regular file (%s is %s)", shown, path,
                          kind ? kind : "something else");
            break;
        case dataFileTooLarge:
            formatByteCount(a, sizeof a, size);
            formatByteCount(b, sizeof b, limit);
            std::snprintf(out, outSize, "%s: the file is too large (%s, at most %s are read)",
                          shown, a, b);
            break;
    }
}

void printDataFileProblem(const char* name, const char* realPath, DataFileStatus status,
                          const char* kind, long long size, long long limit) {
    char text[3 * PATH_MAX + 256];
    describeDataFileProblem(text, sizeof text, name, realPath, status, kind, size, limit);
    std::fprintf(stderr, "%s\n", text);
    std::fflush(stderr);
}
