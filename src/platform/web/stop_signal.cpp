#include "platform/stop_signal.h"

// A page gets no stop requests of this kind: closing the tab ends everything
// at once, and the page stops a play through its own controls.

void installStopSignals() {}

int stopSignalReceived() { return 0; }

int stopSignalExitCode() { return 0; }

void setStopCleanupFile(const char*) {}
