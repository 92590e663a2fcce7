#include "flash_events.h"

#include <algorithm>

namespace {

std::vector<CellChange>& recentSlot(FlashTrack* t, long frame) {
    return t->recent[size_t(frame % long(t->recent.size()))];
}

// The largest patch of touching cells (by a side or a corner) among the
// changed ones: its cells into *patch, its pixels returned.
long largestPatch(const FlashTrack& t, const std::vector<const CellChange*>& changed,
                  std::vector<const CellChange*>* patch) {
    std::vector<const CellChange*> at(t.cellPixels.size(), nullptr);
    for (const CellChange* c : changed) at[size_t(c->cell)] = c;
    std::vector<char> seen(at.size(), 0);
    std::vector<int> open;
    long best = 0;
    patch->clear();
    for (const CellChange* c : changed) {
        if (seen[size_t(c->cell)]) continue;
        std::vector<const CellChange*> cells;
        long pixels = 0;
        open.assign(1, c->cell);
        seen[size_t(c->cell)] = 1;
        while (!open.empty()) {
            const int cell = open.back();
            open.pop_back();
            cells.push_back(at[size_t(cell)]);
            pixels += t.cellPixels[size_t(cell)];
            const int x = cell % t.columns, y = cell / t.columns;
            for (int ny = std::max(y - 1, 0); ny <= std::min(y + 1, t.rows - 1); ++ny)
                for (int nx = std::max(x - 1, 0); nx <= std::min(x + 1, t.columns - 1); ++nx) {
                    const size_t n = size_t(ny * t.columns + nx);
                    if (!at[n] || seen[n]) continue;
                    seen[n] = 1;
                    open.push_back(int(n));
                }
        }
        if (pixels > best) {
            best = pixels;
            patch->swap(cells);
        }
    }
    return best;
}

double medianStep(const std::vector<const CellChange*>& cells) {
    std::vector<float> steps;
    for (const CellChange* c : cells) steps.push_back(c->step);
    if (steps.empty()) return 0;
    std::nth_element(steps.begin(), steps.begin() + long(steps.size() / 2), steps.end());
    return steps[steps.size() / 2];
}

// The largest patch of cells whose transitions one way began together, among
// the cells' recent transitions: its cells into *patch, its pixels returned.
long largestTogether(const FlashTrack& t, const std::vector<const CellChange*>& pending,
                     signed char direction, std::vector<const CellChange*>* patch) {
    std::vector<long> starts;
    for (const CellChange* c : pending)
        if (c->direction == direction) starts.push_back(c->start);
    std::sort(starts.begin(), starts.end());
    starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
    long best = 0;
    patch->clear();
    std::vector<const CellChange*> together, cells;
    for (long last : starts) {
        together.clear();
        long pixels = 0;
        for (const CellChange* c : pending)
            if (c->direction == direction && c->start <= last && c->start > last - t.together) {
                together.push_back(c);
                pixels += t.cellPixels[size_t(c->cell)];
            }
        if (pixels <= best) continue;
        pixels = largestPatch(t, together, &cells);
        if (pixels > best) {
            best = pixels;
            patch->swap(cells);
        }
    }
    return best;
}

}  // namespace

FlashTrack startFlashTrack(FlashKind kind, const std::vector<int>& cellPixels, int columns,
                           long firstFrame, long together, long settle, double area) {
    FlashTrack t;
    t.kind = kind;
    t.columns = columns;
    t.rows = int(cellPixels.size()) / columns;
    t.cellPixels = cellPixels;
    for (int n : cellPixels) t.pixels += n;
    t.area = area;
    t.together = std::max(together, 1L);
    t.settle = std::max(settle, t.together);
    t.swings.assign(cellPixels.size(), Swing());
    t.recent.assign(size_t(t.settle), {});
    t.usedThrough = firstFrame - 1;
    return t;
}

bool trackFlashFrame(FlashTrack* t, const std::vector<float>& values,
                     const std::vector<unsigned char>& saturatedRed, long frame) {
    std::vector<CellChange>& now = recentSlot(t, frame);
    now.clear();
    for (size_t c = 0; c < values.size(); ++c) {
        Swing& s = t->swings[c];
        if (feedSwing(&s, t->kind, values[c], saturatedRed[c] != 0, frame))
            now.push_back({int(c), s.direction, swingStart(s), swingStep(s)});
    }
    std::vector<const CellChange*> pending;
    for (long f = std::max(frame - t->settle + 1, t->usedThrough + 1); f <= frame; ++f)
        for (const CellChange& c : recentSlot(t, f)) pending.push_back(&c);
    // Each way the picture may turn next: both before its first transition.
    const double needed = t->area * double(t->pixels);
    std::vector<const CellChange*> upPatch, downPatch;
    const long up = t->direction <= 0 ? largestTogether(*t, pending, 1, &upPatch) : 0;
    const long down = t->direction >= 0 ? largestTogether(*t, pending, -1, &downPatch) : 0;
    // Both ways at once (one part of the picture brightens as another
    // darkens): the larger part.
    signed char direction = 0;
    if (double(up) >= needed && up >= down)
        direction = 1;
    else if (double(down) >= needed)
        direction = -1;
    if (direction == 0) return false;
    t->direction = direction;
    t->usedThrough = frame;
    PictureTransition p;
    p.frame = frame;
    p.direction = direction;
    p.area = double(direction > 0 ? up : down) / double(t->pixels);
    p.step = medianStep(direction > 0 ? upPatch : downPatch);
    t->transitions.push_back(p);
    return true;
}
