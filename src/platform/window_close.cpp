// What window.h asks of every backend alike: the one window, the close
// handling and the callback it runs, the stop requests seen by the pump.
#include "platform/stop_signal.h"
#include "platform/window.h"
#include "platform/window_state.h"

namespace {
DemoWindow theWindow = {&nativeWindow, false, false, 0, 0};
void (*closeCallback)() = nullptr;
}  // namespace

DemoWindow* demoWindow() { return &theWindow; }

void setCloseCallback(void (*fn)()) { closeCallback = fn; }

void presentDemoWindow() { presentFrame(&theWindow); }

void closeDemoWindowWithCode(DemoWindow* window, int code) {
    releaseDemoWindow(window);
    if (closeCallback) closeCallback();
    endDemoProcess(code);
}

void closeDemoWindow(DemoWindow* window) { closeDemoWindowWithCode(window, 0); }

void pumpMessages() {
    // Ctrl-C or SIGTERM while the demo plays: the close handling, with the
    // request's exit code (130, 143), not that of a finished run.
    if (stopSignalReceived()) closeDemoWindowWithCode(&theWindow, stopSignalExitCode());
    pumpWindowEvents(&theWindow);
}
