#pragma once
#include <vector>

#include "transitions.h"

// Transitions of the picture from those of its cells. A flash is a change of
// one large part of the picture at once: the picture makes a transition on
// the frame where cells whose transitions the same way began together
// (within `together` frames) form one patch of touching cells over the
// flash area, a quarter of the picture. A cell's transition is dated to where
// it began, not to where it reached its threshold: a fade reaches it sooner
// in bright places than in dark ones, but starts everywhere at once. Cells
// changing at unrelated moments or in scattered places (moving detail,
// particles, a thin line sweeping by) do not add up to one. A cell's
// transition counts towards one of the picture's at most, and the picture's
// alternate like a cell's: two make a flash.

// A quarter of the picture, as the broadcast rules count it. (WCAG 2.x's
// figure for computer screens is smaller: see docs/flashes.md.)
const double flashAreaShare = 0.25;

struct PictureTransition {
    long frame = 0;             // where it was complete enough to count
    signed char direction = 0;  // +1 brighter (or redder), -1 darker
    double area = 0;            // share of the picture that changed together
    double step = 0;            // the median change of those cells when they counted
};

// One cell's transition, kept `settle` frames after it reached its threshold.
struct CellChange {
    int cell = 0;
    signed char direction = 0;
    long start = 0;  // the frame it began on
    float step = 0;
};

struct FlashTrack {
    FlashKind kind = FlashKind::general;
    int columns = 1, rows = 1;
    std::vector<int> cellPixels;  // pixels in each cell, row by row
    long pixels = 0;
    double area = flashAreaShare;  // share of the picture a patch needs
    long together = 1;  // frames within which transitions begin together
    long settle = 1;    // frames a transition may take to reach its threshold
    std::vector<Swing> swings;                    // by cell
    std::vector<std::vector<CellChange>> recent;  // by frame reached, a ring of `settle`
    long usedThrough = -1;  // cell transitions up to this frame made a picture's one
    signed char direction = 0;  // of the picture's last transition
    std::vector<PictureTransition> transitions;
};

FlashTrack startFlashTrack(FlashKind kind, const std::vector<int>& cellPixels, int columns,
                           long firstFrame, long together, long settle, double area);

// Takes frame `frame`'s value of every cell (and whether each is a saturated
// red); true when the picture makes a transition on it (track->transitions'
// last).
bool trackFlashFrame(FlashTrack* track, const std::vector<float>& values,
                     const std::vector<unsigned char>& saturatedRed, long frame);
