#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// A moment: the demo between two frames, kept to come back to. It is
// everything a frame may change: the changing arena (state/demo_memory.h),
// which holds the record `demo` and all that loading made and a frame writes,
// so putting it back and drawing on gives the frames drawn from there the
// first time. A
// field a part writes is kept because of where it lives; nothing here lists
// what is in it. A seek plays the timeline forward from the nearest moment
// kept instead of from the start; the warm-up puts its rehearsal's start back.
struct DemoMoment {
    std::vector<unsigned char> bytes;  // the changing arena as it lay, the record first
};

// The bytes a moment takes now: what is taken of the changing arena, the
// record's among them.
size_t demoMomentBytes();

void keepMoment(DemoMoment* moment);

// Puts a moment back. The keys are the viewer's, not the demo's: they stay as
// they are now. A moment of another size (taken before a load) is refused.
bool putMomentBack(const DemoMoment& moment);

// A moment as the pages (momentPageBytes each) where it differs from an
// earlier one: a few seconds of play change a small part of the whole (the
// scene on screen, its particles), so a chain of them costs far less than
// whole moments.
enum : size_t { momentPageBytes = 4096 };

struct MomentChanges {
    std::vector<uint32_t> pages;       // page numbers, rising
    std::vector<unsigned char> bytes;  // their new contents, in that order (the last may be short)
};

// Brings `last` (a moment of this load) up to the demo as it stands and says
// which of its pages that changed: a moment kept now, told as its differences
// from `last`, without copying the pages that did not change.
void keepMomentChanges(DemoMoment* last, MomentChanges* changes);
// Turns the moment the changes were told against into the one they tell.
void applyMomentChanges(const MomentChanges& changes, DemoMoment* moment);
