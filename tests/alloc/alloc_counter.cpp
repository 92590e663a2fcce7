// Counts heap allocations made by this program's own code while counting is
// on. The GL driver allocates too (llvmpipe compiles shaders as it goes), at
// times through template code that lives in the executable: an allocation
// counts only when its whole call chain, up to the C library's start of the
// program, runs in the executable.
#include "alloc/alloc_counter.h"

#include <dlfcn.h>
#include <execinfo.h>

#include <atomic>
#include <cstring>
#include <cstddef>
#include <cstdlib>
#include <new>

extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void __libc_free(void*);
extern char __executable_start;
extern char etext;
}

namespace {
std::atomic<bool> counting{false};
std::atomic<long> allocations{0};
void* firstCallers[8];

thread_local bool inHook = false;

bool inExecutable(void* address) {
    return address >= static_cast<void*>(&__executable_start) &&
           address < static_cast<void*>(&etext);
}

// True when the first caller outside the executable is the C library, i.e.
// the program's own code asked for the memory.
bool madeByThisProgram() {
    void* frames[96];
    const int n = backtrace(frames, 96);
    for (int i = 1; i < n; ++i) {
        if (inExecutable(frames[i])) continue;
        Dl_info info;
        return dladdr(frames[i], &info) && info.dli_fname && std::strstr(info.dli_fname, "libc.so");
    }
    return true;
}

inline void note(void* caller) {
    if (!counting || inHook || !inExecutable(caller)) return;
    inHook = true;
    const bool ours = madeByThisProgram();
    inHook = false;
    if (ours) {
        const long n = allocations.fetch_add(1, std::memory_order_relaxed);
        if (n < 8) firstCallers[n] = caller;
    }
}
}  // namespace

void startCountingAllocations() {
    // The first backtrace loads the unwinder; do that before counting.
    void* frames[4];
    backtrace(frames, 4);
    allocations = 0;
    counting = true;
}

long countedAllocationCaller(int i) {
    // As an offset into the executable, which is what addr2line takes.
    if (i < 0 || i >= 8 || !firstCallers[i]) return 0;
    return static_cast<char*>(firstCallers[i]) - &__executable_start;
}

long stopCountingAllocations() {
    counting = false;
    return allocations;
}

extern "C" {
void* malloc(size_t n) {
    note(__builtin_return_address(0));
    return __libc_malloc(n);
}
void* calloc(size_t n, size_t m) {
    note(__builtin_return_address(0));
    return __libc_calloc(n, m);
}
void* realloc(void* p, size_t n) {
    note(__builtin_return_address(0));
    return __libc_realloc(p, n);
}
void free(void* p) { __libc_free(p); }
}

void* operator new(size_t n) {
    note(__builtin_return_address(0));
    void* p = __libc_malloc(n ? n : 1);
    if (!p) throw std::bad_alloc();
    return p;
}
void* operator new[](size_t n) {
    note(__builtin_return_address(0));
    void* p = __libc_malloc(n ? n : 1);
    if (!p) throw std::bad_alloc();
    return p;
}
void operator delete(void* p) noexcept { __libc_free(p); }
void operator delete[](void* p) noexcept { __libc_free(p); }
void operator delete(void* p, size_t) noexcept { __libc_free(p); }
void operator delete[](void* p, size_t) noexcept { __libc_free(p); }
