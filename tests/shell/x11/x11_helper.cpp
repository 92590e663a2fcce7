// Small X11 actions that xdotool lacks, for the desktop tests:
//   x11-helper close NAME   sends the window manager's close request
//                           (WM_DELETE_WINDOW) to the top-level window NAME
//   x11-helper focus-away   maps a window of its own and takes the input
//                           focus, as switching to another program does;
//                           holds it until killed
//   x11-helper check-picture NAME
//                           reads the window NAME back and checks that the
//                           picture fills the largest centred 4:3 rectangle
//                           of it (content up to its edges) with black bars
//                           around it; prints what it found
//   x11-helper drawn NAME   succeeds once the window NAME shows anything but
//                           black: the program has presented a frame (a
//                           window never drawn into reads back black)
//   x11-helper hash NAME    prints a hash of what the window NAME shows: the
//                           same picture, the same hash
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "platform/viewport_fit.h"

namespace {
Window findByName(Display* d, const char* name) {
    Window root = DefaultRootWindow(d), parent = 0, *children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (!XQueryTree(d, root, &root, &parent, &children, &count)) return 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        char* title = nullptr;
        if (XFetchName(d, children[i], &title) && title) {
            if (std::strcmp(title, name) == 0) found = children[i];
            XFree(title);
        }
    }
    if (children) XFree(children);
    return found;
}

int sendClose(Display* d, const char* name) {
    const Window w = findByName(d, name);
    if (!w) {
        std::fprintf(stderr, "x11-helper: no window named %s\n", name);
        return 1;
    }
    XEvent e = {};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = long(XInternAtom(d, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, w, False, NoEventMask, &e);
    XSync(d, False);
    return 0;
}

bool isBlack(XImage* img, int x, int y) {
    const unsigned long p = XGetPixel(img, x, y);
    const unsigned long r = (p & img->red_mask) >> __builtin_ctzl(img->red_mask);
    const unsigned long g = (p & img->green_mask) >> __builtin_ctzl(img->green_mask);
    const unsigned long b = (p & img->blue_mask) >> __builtin_ctzl(img->blue_mask);
    return r <= 2 && g <= 2 && b <= 2;
}

// The contents of the window NAME (on the screen, where asked), or null after
// saying why.
XImage* readWindow(Display* d, const char* name, bool onScreen, XWindowAttributes* a) {
    const Window w = findByName(d, name);
    if (!w || !XGetWindowAttributes(d, w, a) || (onScreen && a->map_state != IsViewable)) {
        std::fprintf(stderr, "x11-helper: no window named %s%s\n", name,
                     onScreen ? " on the screen" : "");
        return nullptr;
    }
    XImage* img =
        XGetImage(d, w, 0, 0, unsigned(a->width), unsigned(a->height), AllPlanes, ZPixmap);
    if (!img || !img->red_mask) {
        if (img) XDestroyImage(img);
        std::fprintf(stderr, "x11-helper: cannot read the window back\n");
        return nullptr;
    }
    return img;
}

int checkPicture(Display* d, const char* name) {
    XWindowAttributes a;
    XImage* img = readWindow(d, name, false, &a);
    if (!img) return 1;
    const ViewportRect p = fitPictureViewport(a.width, a.height);
    // X rows start at the top, GL rows at the bottom.
    const int top = a.height - p.y - p.height;
    long barPixels = 0, litBarPixels = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            const bool inside = x >= p.x && x < p.x + p.width && y >= top && y < top + p.height;
            if (inside) continue;
            ++barPixels;
            if (!isBlack(img, x, y)) ++litBarPixels;
        }
    // The picture's background reaches each of its four edges.
    int lit[4] = {0, 0, 0, 0};
    for (int y = top; y < top + p.height; ++y) {
        lit[0] += !isBlack(img, p.x, y);
        lit[1] += !isBlack(img, p.x + p.width - 1, y);
    }
    for (int x = p.x; x < p.x + p.width; ++x) {
        lit[2] += !isBlack(img, x, top);
        lit[3] += !isBlack(img, x, top + p.height - 1);
    }
    std::printf("window %dx%d, picture %dx%d at (%d, %d): %ld of %ld bar pixels lit; lit along the "
                "edges: left %d, right %d of %d, top %d, bottom %d of %d\n",
                a.width, a.height, p.width, p.height, p.x, top, litBarPixels, barPixels, lit[0],
                lit[1], p.height, lit[2], lit[3], p.width);
    XDestroyImage(img);
    const bool edgesLit = lit[0] * 2 > p.height && lit[1] * 2 > p.height && lit[2] * 2 > p.width &&
                          lit[3] * 2 > p.width;
    return litBarPixels == 0 && edgesLit ? 0 : 3;
}

int checkDrawn(Display* d, const char* name) {
    XWindowAttributes a;
    XImage* img = readWindow(d, name, true, &a);
    if (!img) return 1;
    long lit = 0;
    for (int y = 0; y < a.height; y += 2)
        for (int x = 0; x < a.width; x += 2) lit += !isBlack(img, x, y);
    XDestroyImage(img);
    std::printf("window %dx%d: %ld of %ld sampled pixels lit\n", a.width, a.height, lit,
                long((a.width + 1) / 2) * ((a.height + 1) / 2));
    return lit > 0 ? 0 : 3;
}

int hashPicture(Display* d, const char* name) {
    XWindowAttributes a;
    XImage* img = readWindow(d, name, true, &a);
    if (!img) return 1;
    unsigned long long h = 1469598103934665603ull;  // FNV-1a
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            h ^= XGetPixel(img, x, y);
            h *= 1099511628211ull;
        }
    XDestroyImage(img);
    std::printf("%016llx\n", h);
    return 0;
}

int focusAway(Display* d) {
    const Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 200, 200, 0, 0, 0);
    XStoreName(d, w, "another program");
    XMapRaised(d, w);
    XSync(d, False);
    for (;;) {
        XSetInputFocus(d, w, RevertToParent, CurrentTime);
        XSync(d, False);
        sleep(1);
    }
}
}  // namespace

int main(int argc, char** argv) {
    Display* d = XOpenDisplay(nullptr);
    if (!d) {
        std::fprintf(stderr, "x11-helper: no display\n");
        return 2;
    }
    if (argc == 3 && std::strcmp(argv[1], "close") == 0) return sendClose(d, argv[2]);
    if (argc == 2 && std::strcmp(argv[1], "focus-away") == 0) return focusAway(d);
    if (argc == 3 && std::strcmp(argv[1], "check-picture") == 0) return checkPicture(d, argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "drawn") == 0) return checkDrawn(d, argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "hash") == 0) return hashPicture(d, argv[2]);
    std::fprintf(stderr,
                 "usage: x11-helper close NAME | focus-away | check-picture NAME | drawn NAME | "
                 "hash NAME\n");
    return 2;
}
