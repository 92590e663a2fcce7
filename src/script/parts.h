#pragma once

// Milliseconds since the current part began; valid while a body runs.
extern int partMs;

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
