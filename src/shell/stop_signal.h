#pragma once

// Ctrl-C, SIGTERM and SIGHUP for the offscreen programs: the first one only
// records itself, so the frame loop stops after the frame it is drawing and
// the program can clean up; a second one ends the process at once.

// Installs the handlers (again is harmless). Call before anything that could
// install its own (SDL turns these signals into a quit event otherwise).
void installStopSignals();

// The signal that asked to stop, or 0.
int stopSignalReceived();

// The exit code for a run stopped by that signal: 128 + its number (130 for
// SIGINT, 143 for SIGTERM).
int stopSignalExitCode();

// The file a second signal removes before it ends the process (a temporary
// file still being written); null or "" for none.
void setStopCleanupFile(const char* path);
