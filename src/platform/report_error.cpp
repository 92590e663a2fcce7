#include "platform/report_error.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace {
ErrorBoxFn errorBox = nullptr;
ErrorObserverFn errorObserver = nullptr;
bool reportsMuted = false;
int savedStderr = -1;
}  // namespace

void muteReports(bool muted) {
    if (muted == reportsMuted) return;
    std::fflush(stderr);
    reportsMuted = muted;
    if (muted) {
        savedStderr = dup(2);
        const int null = open("/dev/null", O_WRONLY);
        if (savedStderr >= 0 && null >= 0) dup2(null, 2);
        if (null >= 0) close(null);
    } else if (savedStderr >= 0) {
        dup2(savedStderr, 2);
        close(savedStderr);
        savedStderr = -1;
    }
}

void setErrorBox(ErrorBoxFn fn) { errorBox = fn; }
void setErrorObserver(ErrorObserverFn fn) { errorObserver = fn; }

void reportError(const char* text) {
    if (reportsMuted) return;
    std::fprintf(stderr, "Error: %s\n", text);
    std::fflush(stderr);
    if (errorObserver) errorObserver(text);
    if (errorBox) errorBox(text);
}
