#pragma once

// The calls between the browser backend and the page that hosts it
// (web/index.html). The page owns the canvas, the audio context made on the
// user's click, the message area and the key listeners; the backend asks it
// for these through the few functions below.

// Hands the browser a chance to run: waits for its next animation frame, so
// the picture drawn since the last call is shown.
void pageWaitAnimationFrame();

// Lets the browser run its queued tasks without waiting for a frame (used
// while frames are drawn faster than real time).
void pageYield();

// Puts an error text on the page (and in the console).
void pageShowError(const char* text);

// Tells the page that the demo ended with this exit code.
void pageDemoEnded(int code);

// Waits until the viewer asks to watch again (after pageDemoEnded(0)).
void pageWaitForReplay();

// After the last still: 1 when the page asks for the same stills again, from
// a new start (the test of watching again).
int pageStillsAgain();

// Never returns: the program waits on nothing, for good (the page's end of a
// process).
[[noreturn]] void pageHalt();

// Queued key events: drains them into the key state.
void pageDrainKeys();

// Milliseconds on the clock the demo runs by: the audible position of the
// page's audio context while it exists, the page's own clock before that.
double pageClockMs();
