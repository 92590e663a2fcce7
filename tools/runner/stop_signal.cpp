#include "stop_signal.h"

#include <signal.h>

#include <cstdlib>
#include <initializer_list>

namespace {
volatile sig_atomic_t received = 0;

void onStopSignal(int sig) {
    // SA_RESETHAND has put the default action back: a second signal ends the
    // process even if the frame loop is stuck.
    received = sig;
}
}  // namespace

void installStopSignals() {
    // SDL installs its own handlers only where it finds the default action;
    // the hint keeps it from touching them at all.
    setenv("SDL_NO_SIGNAL_HANDLERS", "1", 1);
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaction(sig, &action, nullptr);
}

int stopSignalReceived() { return int(received); }

int stopSignalExitCode() { return received ? 128 + int(received) : 0; }
