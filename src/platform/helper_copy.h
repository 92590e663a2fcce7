#pragma once
#include <cstddef>

// A copy of this process, made as it stands, that runs one piece of work in
// the background and hands bytes back to it: it shares nothing with the
// process after the copy but a pipe, runs only on time no one else wants and
// ends with the process. On a platform that makes no such copies (Windows,
// the page) the start says no, and the caller does the work itself when it
// needs it.
struct HelperCopy {
    long pid = -1;  // -1: none
    int from = -1;  // the pipe's end the process reads
};

// Runs work(user) in a copy of the process; the copy never returns from it
// into the caller. False when no copy was made.
bool startHelperCopy(HelperCopy* helper, void (*work)(void* user), void* user);

// In the copy: hands bytes to the process; false once it is gone.
bool writeToParent(const void* bytes, size_t size);

// In the process: up to `capacity` bytes the copy handed over, waiting at
// most waitMs for them. 0: none yet; -1: the copy has ended and all it wrote
// was read (or there is no copy).
long readFromHelper(HelperCopy* helper, void* to, size_t capacity, unsigned waitMs);

// Ends the copy if it still runs and waits for it to go.
void endHelperCopy(HelperCopy* helper);
