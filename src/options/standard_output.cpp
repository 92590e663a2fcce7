#include "options/standard_output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

int finishStandardOutput(const char* program, int rc) {
    errno = 0;
    const bool flushed = std::fflush(stdout) == 0;
    const int error = errno;
    if (flushed && !std::ferror(stdout)) return rc;
    std::fprintf(stderr, "%s: cannot write to standard output (%s)\n", program,
                 error ? std::strerror(error) : "a write failed");
    return 1;
}
