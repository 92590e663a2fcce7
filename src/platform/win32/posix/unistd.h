#pragma once
// NAME_MAX, and readlink for the one link the portable code reads, /proc/self/exe: the
// running program's own path, with forward slashes.
#include_next <unistd.h>

#include <errno.h>
#include <string.h>
#include <windows.h>

// The longest name of one file: NTFS takes 255 characters.
#ifndef NAME_MAX
#define NAME_MAX 255
#endif

static inline ssize_t readlink(const char* path, char* out, size_t size) {
    if (strcmp(path, "/proc/self/exe") != 0 || size == 0) {
        errno = EINVAL;
        return -1;
    }
    const DWORD n = GetModuleFileNameA(nullptr, out, DWORD(size));
    if (n == 0 || n >= size) {
        errno = ENAMETOOLONG;
        return -1;
    }
    for (DWORD i = 0; i < n; ++i)
        if (out[i] == '\\') out[i] = '/';
    return ssize_t(n);  // like readlink, no terminating zero is counted
}
