#pragma once

#include "shell/seek_replay.h"

// The moments a seek comes back to, kept ahead of the viewer: once loading is
// done, a copy of the process (where the platform makes one) plays the whole
// timeline on the fixed-step clock without GL, on processor time nobody else
// wants, and hands each moment back as it keeps it. A seek then finds the
// moment before its frame already kept, or waits for the copy to get there
// (it is ahead of where the seek would start, and gets the processor while
// the seek waits).

// After prepareSeeking, before any frame is drawn. False where no copy was
// made: seeks then keep their moments as they play.
bool startSeekingAhead(SeekCache* cache);

// Takes in the moments the copy sent so far, waiting at most waitMs for the
// first bytes; cheap when none came, so the play calls it between frames.
void takeMomentsKept(SeekCache* cache, unsigned waitMs);

// Before a seek to `frame`: while the copy runs and has not yet kept a moment
// within seekKeepEveryFrames of it, waits for it, asking `watch` as it goes.
// A copy that sends nothing for half a second is ended: the seek plays on
// from the last moment kept itself, and seekingAheadAgain, after it, starts a
// new copy from the end of the chain. False when the watch abandoned the seek.
bool awaitMomentsBefore(SeekCache* cache, long frame, const SeekWatch& watch);
void seekingAheadAgain(SeekCache* cache);

// Ends the copy, keeping what it sent.
void stopSeekingAhead(SeekCache* cache);
