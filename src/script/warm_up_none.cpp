#include "script/setup.h"
#include "script/warm_up.h"

// The browser build loads without the warm-up frames: the GL layer builds its
// few shader programs on first use, which costs far less than drawing a few
// hundred frames before the click, and the page's start-up time is what a
// viewer waits for.
int loadAllWarmedUp() { return loadAll(); }

const int warmUpTimeCount = 0;
