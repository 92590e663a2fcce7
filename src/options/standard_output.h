#pragma once

// For programs whose results go to standard output: a write that failed (a
// full disk, a closed pipe, /dev/full) must not end as a success. Flushes
// standard output; when that or any earlier write to it failed, prints
// "PROGRAM: cannot write to standard output (reason)" on stderr and returns
// 1, otherwise returns rc unchanged.
int finishStandardOutput(const char* program, int rc);
