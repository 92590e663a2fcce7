#include "script/parts.h"

void runPartBody(int part) {
    static void (*const bodies[])() = {runPart0, runPart1, runPart2, runPart3, runPart4,
                                       runPart5, runPart6, runPart7, runPart8};
    if (part >= 0 && part < int(sizeof bodies / sizeof bodies[0])) bodies[part]();
}
