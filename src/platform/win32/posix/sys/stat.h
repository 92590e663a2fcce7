#pragma once
// Windows has no sockets in the file system.
#include_next <sys/stat.h>

#ifndef S_ISSOCK
#define S_ISSOCK(m) 0
#endif
#ifndef S_ISBLK
#define S_ISBLK(m) 0
#endif
