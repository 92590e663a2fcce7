#include "platform/report_error.h"

#include <cstdio>

namespace {
ErrorBoxFn errorBox = nullptr;
ErrorObserverFn errorObserver = nullptr;
}  // namespace

void setErrorBox(ErrorBoxFn fn) { errorBox = fn; }
void setErrorObserver(ErrorObserverFn fn) { errorObserver = fn; }

void reportError(const char* text) {
    std::fprintf(stderr, "Error: %s\n", text);
    std::fflush(stderr);
    if (errorObserver) errorObserver(text);
    if (errorBox) errorBox(text);
}
