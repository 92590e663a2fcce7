#pragma once
// kill(pid, 0), the one use the portable code makes of it: whether a process
// of that id is still running (0), or not (-1 with ESRCH).
#include_next <signal.h>

#include <errno.h>
#include <windows.h>

static inline int kill(long pid, int signal) {
    if (signal != 0) {
        errno = EINVAL;
        return -1;
    }
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid));
    if (!process) {
        // A process there that is not ours to ask still runs.
        errno = GetLastError() == ERROR_ACCESS_DENIED ? EPERM : ESRCH;
        return -1;
    }
    DWORD code = 0;
    const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    CloseHandle(process);
    if (running) return 0;
    errno = ESRCH;
    return -1;
}
