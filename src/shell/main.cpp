#include "shell/demo_main.h"

#ifndef DEMO_FULLSCREEN
#define DEMO_FULLSCREEN 1
#endif

int main(int argc, char** argv) { return demoMain(DEMO_FULLSCREEN, argc, argv); }
