// Counts heap allocations made by this program's own code (the executable's
// text), not by the GL driver or other shared libraries, while counting is on.
#include "alloc/alloc_counter.h"

#include <atomic>
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

inline void note(void* caller) {
    if (counting && caller >= static_cast<void*>(&__executable_start) &&
        caller < static_cast<void*>(&etext))
        allocations.fetch_add(1, std::memory_order_relaxed);
}
}  // namespace

void startCountingAllocations() {
    allocations = 0;
    counting = true;
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
