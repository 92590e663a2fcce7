#pragma once

// Loads everything like loadAll, then draws frames of every part into a 1x1
// viewport, so that the GL driver compiles the programs of each part during
// loading instead of at its first visible frame (a software rasterizer takes
// up to seven frames' time for that). Everything those frames touched is then
// put back: GL state, and the demo's changing memory as loading left it (the
// record's random sequence, clock and switches, particles, flare
// intensities, track cursors, normals, the water canvas). The frames that
// follow are the same as after a plain loadAll. 1 on success.
int loadAllWarmedUp();

// How many frames the warm-up draws.
extern const int warmUpTimeCount;

// Deletes the GL textures the set-ups made (each name once); loading again
// makes new ones. Call before freeAll, while the tables still name them.
void deleteLoadedTextures();
