#pragma once

// The soundtrack "5tfina.mp3": a synthesised track whose beat is locked to the
// pictures. The picture clock counts 35 units per second and the pulsing layers
// of part 2 repeat every 114 units, so 8 beats last 114/35 s: one beat is
// exactly 17955 frames at 44.1 kHz (about 147.4 BPM). Beat 168 of the grid
// falls on the first pulse of part 2 (54300 ms + 507 units), and a bar (four
// beats) starts there; every other beat follows from that anchor.

#include <vector>

namespace music {

constexpr int kMusicRate = 44100;
constexpr long kMusicFrames = 235L * kMusicRate;   // the whole file, tail of silence included
constexpr long kBeatFrames = 17955;                // 114 / 35 / 8 s
constexpr long kBeatOriginFrame = 17010;           // beat 0; beat 168 = 54300 ms + 507 / 0.035 ms
constexpr int kPulseBeat = 168;                    // first pulse of part 2's beat layers
constexpr int kPartCount = 9;

// Where the part boundaries of the timeline fall (ms since the music starts);
// entry p is the start of part p, entry 9 the end of part 8.
extern const int kPartBoundaryMs[kPartCount + 1];

// First frame of beat `beat` (may be negative for beats before the start).
long beatFrame(int beat);
// First frame of sixteenth `step` (four per beat, counted from beat 0).
long stepFrame(long step);

// The beat at which the music of part `part` (0..8) begins: the beat nearest
// the part's boundary, or the bar line when that is nearly as close. Part 9
// gives the beat after which the music has ended.
int partStartBeat(int part);

// Master gain at `frame`: fade in from silence, fade out to silence by 229 s.
float masterGain(long frame);

// Renders the first `frames` frames of the track (at most kMusicFrames) as
// interleaved 16-bit stereo. Rendering is deterministic.
void renderMusic(long frames, std::vector<short>& pcm);

// Encodes interleaved 16-bit stereo at 44.1 kHz as MP3 whose first frame is
// the LAME info frame (exact length for gapless decoders). Returns 1, or 0
// after printing the encoder's failure on stderr.
int encodeMp3(const std::vector<short>& pcm, std::vector<unsigned char>& mp3);

}  // namespace music
