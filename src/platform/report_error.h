#pragma once

// The one error report of the program: always printed on stderr, and shown in
// a message box titled "Error" when a box can be shown (see setErrorBox).
void reportError(const char* text);

// The box shower installed by the window layer; null means stderr only.
// Returns nothing; must never block a run without a display.
typedef void (*ErrorBoxFn)(const char* text);
void setErrorBox(ErrorBoxFn fn);

// Tests observe reports through this: called with every text, after stderr.
typedef void (*ErrorObserverFn)(const char* text);
void setErrorObserver(ErrorObserverFn fn);

// While muted, reports are neither printed, shown nor observed, and anything
// else written to standard error goes nowhere. For a rehearsal whose failures
// the real run that follows reports in full. Calls must pair up.
void muteReports(bool muted);
