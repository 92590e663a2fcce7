#pragma once

// Frames before (or between) the ones a capture keeps must still be played,
// because particles, flares and tracks carry history from frame to frame, but
// their pixels are never looked at. With rasterizing switched off the driver
// still takes every call and every state change, and skips the pixel work.
// Nothing the demo draws reads pixels back, so later frames are unchanged.
void rasterizeFrames(bool on);
