#pragma once

// A request from outside to stop: Ctrl-C, SIGTERM and SIGHUP on POSIX
// systems; Ctrl-C, Ctrl-Break and the console closing on Windows (a page has
// none). The first one only records itself, so the frame loop stops after the
// frame it is drawing and the program can clean up: the offscreen programs
// look at stopSignalReceived after each frame, the demo's window at each
// pumpMessages (it then ends through the close handling, with the request's
// exit code). A second one ends the process at once.

// Installs the handlers (again is harmless). The window installs them as it
// opens; the offscreen programs call it first thing, before anything else
// could install its own.
void installStopSignals();

// The signal that asked to stop (SIGINT for Ctrl-C, SIGTERM for the console
// closing), or 0.
int stopSignalReceived();

// The exit code for a run stopped that way: 128 + the signal's number (130
// for Ctrl-C, 143 for SIGTERM); 0 when no stop was asked for.
int stopSignalExitCode();

// The file a second request removes before it ends the process (a temporary
// file still being written); null or "" for none.
void setStopCleanupFile(const char* path);
