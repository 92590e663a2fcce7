#pragma once

// Watching again in the page without a reload: the program keeps the data
// package's files and the decoded music, and a new play starts from what a
// fresh load leaves behind.

// Puts everything the last play changed back as a fresh load leaves it: the
// textures and tables are freed and loaded again from the files in memory,
// the GL state, the clock values, the random sequence, the scene switches
// and the keys start again. 1 when the loading succeeded.
int restartPlay();
