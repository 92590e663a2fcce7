#pragma once
// Read-only private mappings of a whole file through a file mapping object:
// what the portable code asks of mmap, and nothing more.
#include <io.h>
#include <stddef.h>
#include <windows.h>

#define PROT_READ 1
#define MAP_PRIVATE 2
#define MAP_FAILED ((void*)-1)

static inline void* mmap(void*, size_t length, int prot, int flags, int fd, long long offset) {
    if (prot != PROT_READ || flags != MAP_PRIVATE || offset != 0 || length == 0) return MAP_FAILED;
    HANDLE file = HANDLE(_get_osfhandle(fd));
    if (file == INVALID_HANDLE_VALUE) return MAP_FAILED;
    HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (!mapping) return MAP_FAILED;
    void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, length);
    CloseHandle(mapping);  // the view keeps the mapping alive
    return view ? view : MAP_FAILED;
}

static inline int munmap(void* addr, size_t) { return UnmapViewOfFile(addr) ? 0 : -1; }
