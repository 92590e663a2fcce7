#pragma once
#include "state/demo_state.h"

// The bodies read demo.partMs, the milliseconds since the current part
// began, and demo.DemoClock; both are valid while a body runs.

// The body of part 0..8; an index of 9 or more has none.
void runPartBody(int part);

void runPart0();
void runPart1();
void runPart2();
void runPart3();
void runPart4();
void runPart5();
void runPart6();
void runPart7();
void runPart8();
