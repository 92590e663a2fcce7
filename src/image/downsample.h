#pragma once

// Filters a frame drawn k x k times larger down to width x height (RGB rows,
// top first): each output pixel is the mean of its k x k block. Linear: the
// mean of the light (sRGB decoded, averaged, encoded again), so a thin bright
// line keeps its brightness; plain: the mean of the stored values.
void downsampleRgb(const unsigned char* big, int width, int height, int k, bool linear,
                   unsigned char* out);
