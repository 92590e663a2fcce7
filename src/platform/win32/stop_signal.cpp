#include "platform/stop_signal.h"

#include <windows.h>

#include <signal.h>

#include <cstdio>

namespace {
volatile LONG received = 0;
// Written before the handler can need it, read only inside it.
char cleanupFile[MAX_PATH] = "";
CRITICAL_SECTION cleanupLock;

void prepareLock() {
    static bool ready = false;
    if (ready) return;
    InitializeCriticalSection(&cleanupLock);
    ready = true;
}

int signalOf(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT: return SIGINT;
        case CTRL_BREAK_EVENT: return SIGBREAK;
        default: return SIGTERM;  // the console closing, logoff, shutdown
    }
}

// Runs on a thread of its own that the system starts for the event.
BOOL WINAPI onConsoleEvent(DWORD event) {
    if (InterlockedCompareExchange(&received, signalOf(event), 0) == 0) {
        // Closing the console ends the process as soon as this returns:
        // the frame loop gets a few seconds to stop and clean up first.
        if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT ||
            event == CTRL_SHUTDOWN_EVENT)
            Sleep(4000);
        return TRUE;
    }
    // A second request ends the process at once, taking the unfinished file
    // with it.
    EnterCriticalSection(&cleanupLock);
    if (cleanupFile[0]) DeleteFileA(cleanupFile);
    LeaveCriticalSection(&cleanupLock);
    ExitProcess(128 + UINT(signalOf(event)));
}
}  // namespace

void installStopSignals() {
    static bool installed = false;
    if (installed) return;
    prepareLock();
    installed = SetConsoleCtrlHandler(onConsoleEvent, TRUE) != 0;
}

int stopSignalReceived() { return int(InterlockedCompareExchange(&received, 0, 0)); }

int stopSignalExitCode() {
    const int sig = stopSignalReceived();
    return sig ? 128 + sig : 0;
}

void setStopCleanupFile(const char* path) {
    prepareLock();
    EnterCriticalSection(&cleanupLock);
    std::snprintf(cleanupFile, sizeof cleanupFile, "%s", path ? path : "");
    LeaveCriticalSection(&cleanupLock);
}
