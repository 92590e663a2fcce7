#pragma once
#include <cstddef>
#include <cstdio>

// Opening data files safely. Only regular files are read: a folder, a named
// pipe, a device or a socket in place of a data file is refused at once, and
// opening never waits (a named pipe without a writer would block a plain open
// forever).

enum DataFileStatus {
    dataFileOk = 0,
    dataFileMissing,        // no such file (or no such folder)
    dataFileDenied,         // permission denied
    dataFileNotRegular,     // a folder, named pipe, device or socket
    dataFileTooLarge,       // more bytes than the reader accepts
    dataFileUnreadable,     // any other error while opening or reading
    dataFileLinkLoop,       // symbolic links that lead round in a circle
};

// Opens a real path read-only. Returns the descriptor, or -1 with *status
// (and *kind, when not null, naming what stands there instead of a file,
// e.g. "a named pipe").
int openRegularFile(const char* path, DataFileStatus* status, const char** kind = nullptr);

// Checks without opening that a real path is a regular file that can be read.
DataFileStatus checkRegularFile(const char* path, const char** kind = nullptr);

// Reads a whole regular file of at most maxBytes into a new buffer (free with
// free(); never null on success, even for an empty file).
DataFileStatus readRegularFile(const char* path, long long maxBytes, unsigned char** data,
                               long long* size, const char** kind = nullptr);

// The same for a literal data name ("data\\light.dat"). On failure the
// reason is printed on stderr as one line naming the file (see
// printDataFileProblem); quiet suppresses that line.
DataFileStatus readDataFile(const char* name, long long maxBytes, unsigned char** data,
                            long long* size, bool quiet = false);

// Opens a literal data name as a stream ("rb"); null after printing the reason.
FILE* openDataFileStream(const char* name);

// Prints "NAME: reason" on stderr: where the file was looked for when it is
// missing, "permission denied", what stands there instead of a file, or the
// size limit. realPath is the resolved path (may be null); limit is the size
// limit for dataFileTooLarge, size the file's size.
void printDataFileProblem(const char* name, const char* realPath, DataFileStatus status,
                          const char* kind = nullptr, long long size = 0, long long limit = 0);

// The same text in a buffer, without the line break.
void describeDataFileProblem(char* out, size_t outSize, const char* name, const char* realPath,
                             DataFileStatus status, const char* kind = nullptr,
                             long long size = 0, long long limit = 0);

// "64 MB", "1 MB", "512 KB", "300 bytes": sizes for messages.
void formatByteCount(char* out, size_t outSize, long long bytes);
