#include "platform/window_options.h"

int msaaFallbacks(int n, int out[4]) {
    int count = 0;
    for (int s = 16; s >= 2; s /= 2)
        if (s <= n && count < 4) out[count++] = s;
    return count;
}
