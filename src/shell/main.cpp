#include "shell/demo_main.h"

#ifndef DEMO_FULLSCREEN
#define DEMO_FULLSCREEN 1
#endif

int main() { return demoMain(DEMO_FULLSCREEN); }
