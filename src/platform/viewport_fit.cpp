#include "platform/viewport_fit.h"

ViewportRect fitPictureViewport(int width, int height) {
    if (width < 1) width = 1;
    if (height < 1) height = 1;
    const long long w = width, h = height;
    // Exactly 4:3 (640x480, 1280x960): the whole drawable, as before.
    if (w * 3 == h * 4) return ViewportRect{0, 0, width, height};
    if (w * 3 > h * 4) {
        // Wider than 4:3: full height, bars left and right.
        int pw = int((h * 4 + 1) / 3);
        if (pw > width) pw = width;
        if (pw < 1) pw = 1;
        return ViewportRect{(width - pw) / 2, 0, pw, height};
    }
    int ph = int((w * 3 + 2) / 4);
    if (ph > height) ph = height;
    if (ph < 1) ph = 1;
    return ViewportRect{0, (height - ph) / 2, width, ph};
}

int pictureBars(int width, int height, const ViewportRect& p, ViewportRect out[2]) {
    int n = 0;
    if (p.x > 0) out[n++] = ViewportRect{0, 0, p.x, height};
    if (p.x + p.width < width) out[n++] = ViewportRect{p.x + p.width, 0, width - p.x - p.width, height};
    if (n) return n;
    if (p.y > 0) out[n++] = ViewportRect{0, 0, width, p.y};
    if (p.y + p.height < height) out[n++] = ViewportRect{0, p.y + p.height, width, height - p.y - p.height};
    return n;
}
