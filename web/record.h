#pragma once

// "Save as video": the page's recording (web/record.js) asks the program to
// draw the frames of a span on the fixed-step clock, as demo-capture draws
// them, and hands each one to the page's encoder.
//
// The settings are "START,END,NUM,DEN,WIDTH,HEIGHT,SUPERSAMPLE,GENTLE": seconds of
// music (END 0: to the end of the demo), the frame rate NUM/DEN, the size,
// the supersampling factor (1 to 4) and gentle play (0 or 1). Returns the
// program's exit code: 0 when the page finished the file.
int recordInPage(const char* settings);
