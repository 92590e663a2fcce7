#include "drawable_probe.h"

#include <windows.h>

int probeDrawableLimit() {
    // The offscreen drawable is a window's client area (platform/win32), and
    // every GL the demo runs on draws a viewport as large as any window
    // Windows makes: the window's limit below is the one that counts.
    return 0;
}

std::string windowSizeProblem(int width, int height) {
    // The largest window with a caption and borders Windows lets a program
    // make; its client area is a little smaller, which the run itself reports.
    const int maxWidth = GetSystemMetrics(SM_CXMAXTRACK);
    const int maxHeight = GetSystemMetrics(SM_CYMAXTRACK);
    if (maxWidth <= 0 || maxHeight <= 0 || (width <= maxWidth && height <= maxHeight)) return "";
    return "Windows makes windows of " + std::to_string(maxWidth) + "x" +
           std::to_string(maxHeight) + " pixels at most";
}
