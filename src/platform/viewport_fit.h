#pragma once

// The picture is 4:3. In a drawable of another shape it takes the largest
// centred 4:3 rectangle; the bars around it stay black.
struct ViewportRect {
    int x, y, width, height;
};

// The 4:3 rectangle inside a drawable of width x height (sizes below 1 are
// taken as 1). Drawables that are 4:3 already are filled exactly.
ViewportRect fitPictureViewport(int width, int height);

// The parts of the drawable outside the picture: 0 to 2 bars, written to out.
int pictureBars(int width, int height, const ViewportRect& picture, ViewportRect out[2]);
