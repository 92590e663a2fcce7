#include "platform/stop_signal.h"

#include <SDL2/SDL_hints.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <initializer_list>

namespace {
volatile sig_atomic_t received = 0;
// Written before the handlers can need it, read only inside them.
char cleanupFile[4096] = "";

void onStopSignal(int sig) {
    if (!received) {
        received = sig;
        return;
    }
    // A second signal ends the process at once, even if the frame loop is
    // stuck, and by the signal's default action; the unfinished file goes
    // with it (unlink is safe in a handler).
    if (cleanupFile[0]) unlink(cleanupFile);
    signal(sig, SIG_DFL);
    raise(sig);
}
}  // namespace

void installStopSignals() {
    // SDL would turn these signals into a quit event: ours are the only ones.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A hang-up ignored by whoever started us (nohup) stays ignored.
    struct sigaction hangUp = {};
    if (sigaction(SIGHUP, nullptr, &hangUp) == 0 && hangUp.sa_handler != SIG_IGN)
        sigaction(SIGHUP, &action, nullptr);
}

int stopSignalReceived() { return int(received); }

int stopSignalExitCode() { return received ? 128 + int(received) : 0; }

void setStopCleanupFile(const char* path) {
    // Blocked while it changes, so a handler never sees half a name.
    sigset_t stops, old;
    sigemptyset(&stops);
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&stops, sig);
    sigprocmask(SIG_BLOCK, &stops, &old);
    std::snprintf(cleanupFile, sizeof cleanupFile, "%s", path ? path : "");
    sigprocmask(SIG_SETMASK, &old, nullptr);
}
