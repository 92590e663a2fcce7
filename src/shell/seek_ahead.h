#pragma once
#include <vector>

#include "platform/helper_copy.h"
#include "shell/seek_replay.h"

// The moments a seek comes back to, kept ahead of the viewer: once loading is
// done, a copy of the process (where the platform makes one) plays the whole
// timeline on the fixed-step clock without GL, on processor time nobody else
// wants, and hands each moment to the seek cache as it keeps it. The play
// (shell/play_control.h) takes them in between frames and, before a seek,
// waits for the copy to get past the seek's frame (it is ahead of where the
// seek would start, and gets the processor while the seek waits).

// The copy, while it runs, and the part of a moment it sent that has not all
// come yet.
struct SeekAhead {
    HelperCopy helper;
    std::vector<unsigned char> received;
    std::vector<unsigned char> chunk;  // one read's room
    bool running = false;
    bool again = false;  // ended for want of processor time: start anew after the seek
};

// After prepareSeeking, before any frame is drawn. False where no copy was
// made: seeks then keep their moments as they play.
bool startSeekingAhead(SeekAhead* ahead, SeekCache* cache);

// Hands the moments the copy sent so far to the cache, waiting at most waitMs
// for the first bytes; cheap when none came, so the play calls it between
// frames.
void takeMomentsKept(SeekAhead* ahead, SeekCache* cache, unsigned waitMs);

// Before a seek to `frame`: while the copy runs and has not yet kept a moment
// within seekKeepEveryFrames of it, waits for it, asking `watch` as it goes.
// A copy that sends nothing for half a second is ended: the seek plays on
// from the last moment kept itself, and seekingAheadAgain, after it, starts a
// new copy from the end of the chain. False when the watch abandoned the seek.
bool awaitMomentsBefore(SeekAhead* ahead, SeekCache* cache, long frame, const SeekWatch& watch);
void seekingAheadAgain(SeekAhead* ahead, SeekCache* cache);

// Ends the copy, keeping what it sent.
void stopSeekingAhead(SeekAhead* ahead);
