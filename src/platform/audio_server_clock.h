#pragma once
#include <cstdint>

// When was the stream's first sample heard, from a sound server's timing
// reports (PulseAudio, PipeWire's pulse layer). Each report says how much of
// the stream had been heard when it was made; dated on the system timer by its
// age, it puts the first sample somewhere. The server's first reports after a
// play may still put it early (20-490 ms seen), so the start is taken once
// the reports agree for a while; a server whose reports move in steps of its
// processing period (PipeWire) may never agree that closely, and after a
// while playing the middle of its recent answers is taken. From then on the
// answer is the middle of the last few reports'.
struct TimingReport {
    uint64_t madeUs;   // when the server made it, on its own clock: the same report read twice has the same
    uint64_t ageUs;    // how old it is now
    int64_t heardUs;   // stream time heard when it was made (read position, less what the sink holds)
    // Says the stream plays (not underrun, not suspended) with something read,
    // and was sent after the play began.
    bool playing;
};

// A report older than this means the server stopped (a suspended sink, a
// busy server): what it said then is not run on.
enum : int64_t { serverReportStaleUs = 350000 };

enum : int { serverStartsKept = 16 };

// What the reports since the play began have said; zero-filled for a new play.
struct ServerClock {
    int64_t lastStartUs;    // where the previous report put the first sample
    uint64_t agreeSinceUs;  // since when the reports agree (0: not)
    uint64_t playingSinceUs;  // the first report that said it plays
    uint64_t lastMadeUs;    // the last report taken in
    int64_t starts[serverStartsKept];
    int count;              // reports taken in since the start (or since it was heard)
    bool heard;             // the start is known
};

// Where a report puts the first sample on the system timer (nowUs, when the
// report was read): false for a report that does not say it plays, or one
// older than serverReportStaleUs.
bool serverReportStart(const TimingReport& report, uint64_t nowUs, int64_t* startUs);

// Takes in the latest report (read at nowUs); true, with the timer reading in
// microseconds at which the first sample was heard, once that is known and
// the report says the stream still plays.
bool takeTimingReport(ServerClock* clock, const TimingReport& report, uint64_t nowUs,
                      int64_t* startUs);
