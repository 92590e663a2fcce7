// Mixes the soundtrack: renders every note into the buses, adds the echo and
// the room, applies the master fades and writes 16-bit PCM.

#include <algorithm>
#include <cmath>
#include <vector>

#include "music.h"
#include "music_dsp.h"
#include "music_score.h"
#include "music_voices.h"

namespace music {

const float* sineTable() {
    static const std::vector<float> table = [] {
        std::vector<float> t(kSineSize + 1);
        for (int i = 0; i <= kSineSize; ++i)
            t[i] = (float)std::sin(2.0 * 3.14159265358979323846 * i / kSineSize);
        return t;
    }();
    return table.data();
}

namespace {

constexpr float kFadeInSeconds = 3.0f;
constexpr float kFadeOutStart = 226.0f;
constexpr float kFadeOutEnd = 229.0f;
constexpr float kMasterTrim = 0.6f;

// Pads and bass dip under each kick and swell back: the pumping of the groove.
void buildDuck(const std::vector<NoteEvent>& events, std::vector<float>& duck) {
    const long recover = secondsToFrames(0.16f);
    for (const NoteEvent& e : events) {
        if (e.instrument != kKick) continue;
        float depth = 0.6f * e.velocity;
        long end = std::min(e.start + recover, (long)duck.size());
        for (long n = e.start; n < end; ++n) {
            float x = 1.0f - (float)(n - e.start) / (float)recover;
            duck[n] = std::min(duck[n], 1.0f - depth * x * x);
        }
    }
}

// Ping-pong echo of a dotted eighth, darkened on every repeat.
void addEcho(const std::vector<float>& send, std::vector<float>& left, std::vector<float>& right) {
    const long delay = (3 * kBeatFrames) / 4;
    const float feedback = 0.42f, wet = 0.55f;
    std::vector<float> lineL(delay, 0.0f), lineR(delay, 0.0f);
    float dampL = 0.0f, dampR = 0.0f;
    long at = 0;
    for (size_t n = 0; n < send.size(); ++n) {
        float outL = lineL[at], outR = lineR[at];
        dampL += 0.35f * (outL - dampL);
        dampR += 0.35f * (outR - dampR);
        lineL[at] = send[n] + dampR * feedback;
        lineR[at] = dampL * feedback;
        left[n] += outL * wet;
        right[n] += outR * wet;
        if (++at == delay) at = 0;
    }
}

// A small Schroeder-Moorer room: four damped combs and two all-passes per side.
struct Comb {
    std::vector<float> line;
    long at = 0;
    float store = 0.0f;
    float run(float x) {
        float out = line[at];
        store = out * 0.7f + store * 0.3f;
        line[at] = x + store * 0.8f;
        if (++at == (long)line.size()) at = 0;
        return out;
    }
};

struct AllPass {
    std::vector<float> line;
    long at = 0;
    float run(float x) {
        float held = line[at];
        line[at] = x + held * 0.5f;
        if (++at == (long)line.size()) at = 0;
        return held - x;
    }
};

void addRoom(const std::vector<float>& send, std::vector<float>& left, std::vector<float>& right) {
    const int combLengths[4] = {1116, 1188, 1277, 1356};
    const int allPassLengths[2] = {556, 441};
    const int spread = 23;
    Comb combs[2][4];
    AllPass passes[2][2];
    for (int side = 0; side < 2; ++side) {
        for (int i = 0; i < 4; ++i)
            combs[side][i].line.assign(combLengths[i] + side * spread, 0.0f);
        for (int i = 0; i < 2; ++i)
            passes[side][i].line.assign(allPassLengths[i] + side * spread, 0.0f);
    }
    const float wet = 0.09f;
    for (size_t n = 0; n < send.size(); ++n) {
        float x = send[n];
        float out[2];
        for (int side = 0; side < 2; ++side) {
            float sum = 0.0f;
            for (Comb& c : combs[side]) sum += c.run(x);
            for (AllPass& p : passes[side]) sum = p.run(sum);
            out[side] = sum;
        }
        left[n] += out[0] * wet;
        right[n] += out[1] * wet;
    }
}

// Soft knee above 0.8 of full scale; below it the signal passes untouched.
inline float softClip(float x) {
    float a = std::fabs(x);
    if (a <= 0.8f) return x;
    float y = 0.8f + 0.2f * std::tanh((a - 0.8f) / 0.2f);
    return x < 0 ? -y : y;
}

inline short toPcm(float x) {
    float v = std::clamp(softClip(x), -1.0f, 1.0f) * 32767.0f;
    return (short)std::lrint(v);
}

}  // namespace

float masterGain(long frame) {
    float s = (float)frame / kRateF;
    if (s < kFadeInSeconds) {
        float x = std::max(0.0f, s / kFadeInSeconds);
        return x * x;
    }
    if (s < kFadeOutStart) return 1.0f;
    if (s >= kFadeOutEnd) return 0.0f;
    float x = (s - kFadeOutStart) / (kFadeOutEnd - kFadeOutStart);
    return 0.5f + 0.5f * std::cos(kPi * x);
}

void renderMusic(long frames, std::vector<short>& pcm) {
    frames = std::clamp(frames, 0L, kMusicFrames);
    std::vector<NoteEvent> events = buildScore();
    std::vector<float> left(frames, 0.0f), right(frames, 0.0f);
    std::vector<float> delaySend(frames, 0.0f), reverbSend(frames, 0.0f), duck(frames, 1.0f);
    buildDuck(events, duck);
    MixBus bus{left.data(), right.data(), delaySend.data(), reverbSend.data(), duck.data(), frames};
    const InstrumentDef* table = instrumentTable();
    for (const NoteEvent& e : events) {
        if (e.start >= frames) continue;
        const InstrumentDef& def = table[e.instrument];
        def.render(e, bus, def.mix);
    }
    addEcho(delaySend, left, right);
    addRoom(reverbSend, left, right);
    pcm.assign((size_t)frames * 2, 0);
    for (long n = 0; n < frames; ++n) {
        float g = masterGain(n) * kMasterTrim;
        pcm[2 * n] = toPcm(left[n] * g);
        pcm[2 * n + 1] = toPcm(right[n] * g);
    }
}

}  // namespace music
