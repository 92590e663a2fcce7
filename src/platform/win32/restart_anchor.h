#pragma once
#include <cstdint>

// Under Wine the played position waveOut reports counts the frames handed to
// Wine's own buffer in front of the sound server, which it moves on one
// 10 ms period at a time from a period after the server starts playing: after
// each start it runs ahead of the sound by an amount that differs from one
// start to the next by up to a period. The moment the device is told to play
// says when its first frame is heard within about a millisecond, and the
// position still tells the device's pace. So the start is taken from that
// moment, and the position's answers are held to it: their difference,
// taken once the position's first answers (its jump to Wine's first buffer)
// have left the clock's history, is taken off every later answer.
struct RestartAnchor {
    bool active;       // false: the position's answers pass unchanged
    bool settled;      // the difference is known
    int64_t heardUs;   // when the first frame is heard, by the start's moment
    int64_t offsetUs;  // the position's answer less heardUs
};

// A start at playUs on the timer, heard latencyUs later.
RestartAnchor anchorAt(int64_t playUs, int latencyUs);

// The start the clock takes, given the position's answer and whether the
// first answers have left the history.
int64_t anchoredStartUs(RestartAnchor* anchor, int64_t positionStartUs, bool historySettled);
