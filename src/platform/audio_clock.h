#pragma once
#include <cstdint>

// When the audio device takes a buffer, the stream's sample frames before it
// are already on their way to the speaker. A few recent hand-overs tell when
// the stream's first frame was heard, on the system timer's clock.
struct AudioHandOver {
    uint64_t timeUs;        // system timer, microseconds
    uint64_t framesBefore;  // stream frames handed over before this buffer
};

enum : int { audioHandOverKept = 16 };

struct AudioClockHistory {
    AudioHandOver entries[audioHandOverKept];
    int count;
    int next;
};

void recordHandOver(AudioClockHistory* history, uint64_t timeUs, uint64_t framesBefore);

// The timer reading in microseconds at which frame 0 of the stream became
// audible: for each kept hand-over, its time less the frames before it at the
// device rate, plus what the device holds in front of the buffer it takes
// (latencyFrames). Where the device's clock runs off the timer's, these
// answers move steadily; along that drift, a hand-over can come late but never
// early, so the earliest answer wins. False when nothing was handed over, or the latest hand-over
// is older than staleUs at nowUs (a stalled device tells nothing).
bool audibleStartUs(const AudioClockHistory& history, int rate, int latencyFrames, uint64_t nowUs,
                    uint64_t staleUs, int64_t* startUs);
