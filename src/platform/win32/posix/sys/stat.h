#pragma once
// Windows has no sockets in the file system, no symbolic links the portable
// code meets (lstat is stat) and no permission bits for a new folder.
#include_next <sys/stat.h>

#include <direct.h>

#ifndef S_ISSOCK
#define S_ISSOCK(m) 0
#endif
#ifndef S_ISBLK
#define S_ISBLK(m) 0
#endif
#ifndef lstat
#define lstat stat
#endif

static inline int mkdir(const char* path, int) { return _mkdir(path); }
