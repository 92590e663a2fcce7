#pragma once
// Flags without a meaning on Windows: no terminals, and nothing there blocks
// on open the way a named pipe does on Linux. The portable code opens every
// descriptor with O_CLOEXEC, and only for byte-exact reads: here that is
// "not inherited" and binary mode (the runtime's default is text mode, which
// stops at the first Ctrl-Z and drops carriage returns). fcntl is not there either; the portable code only uses
// it to take O_NONBLOCK away again, and tolerates a -1.
#include_next <fcntl.h>

#ifndef O_NONBLOCK
#define O_NONBLOCK 0
#endif
#ifndef O_NOCTTY
#define O_NOCTTY 0
#endif
#ifndef O_CLOEXEC
#define O_CLOEXEC (_O_NOINHERIT | _O_BINARY)
#endif
#ifndef F_GETFL
#define F_GETFL 3
#define F_SETFL 4
static inline int fcntl(int, int, ...) { return -1; }
#endif
