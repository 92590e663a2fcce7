#pragma once

// Loads everything like loadAll, but first loads once silently and draws
// frames of every part into a 1x1 viewport, so that the GL driver compiles the
// programs of each part during loading instead of at its first visible frame
// (a software rasterizer takes up to seven frames' time for that). Everything
// those frames touched is then put back: GL state, the whole demo record
// (random sequence, clock, switches), and all loaded contents (particles,
// flare intensities, track cursors, normals), which are freed and loaded
// afresh. The frames that follow are the same as
// after a plain loadAll, and every problem is reported once, by the real load.
// 1 on success.
int loadAllWarmedUp();

// How many frames the warm-up draws.
extern const int warmUpTimeCount;

// Deletes the GL textures the set-ups made (each name once); loading again
// makes new ones. Call before freeAll, while the tables still name them.
void deleteLoadedTextures();
