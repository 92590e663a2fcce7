// Synthesised instruments: drums from sines and filtered noise, bass, pads and
// lead from band-limited saws through state-variable filters, bells from FM.

#include "music_voices.h"

#include <algorithm>
#include <cmath>

#include "music_dsp.h"

namespace music {

namespace {

struct Pan {
    float left, right;
};

Pan panGains(float pan) {
    float a = (std::clamp(pan, -1.0f, 1.0f) + 1.0f) * (kPi * 0.25f);
    return Pan{std::cos(a) * 1.41421356f, std::sin(a) * 1.41421356f};
}

inline void emit(const MixBus& bus, const InstrumentMix& mix, long n, float l, float r) {
    float g = mix.ducked ? mix.gain * bus.duck[n] : mix.gain;
    l *= g;
    r *= g;
    bus.left[n] += l;
    bus.right[n] += r;
    float m = 0.5f * (l + r);
    bus.delaySend[n] += m * mix.delaySend;
    bus.reverbSend[n] += m * mix.reverbSend;
}

// Fades the last 5 ms of a voice so that cutting it off never clicks.
inline float tailFade(long t, long len) {
    long left = len - t;
    return left >= 220 ? 1.0f : (float)left / 220.0f;
}

// Linear attack, hold for `hold` frames, linear release.
inline float holdEnvelope(long t, long attack, long hold, long release) {
    if (t < attack) return (float)t / (float)attack;
    if (t < hold) return 1.0f;
    return std::max(0.0f, 1.0f - (float)(t - hold) / (float)release);
}

// The frames a voice draws a note over: `len` from the note's start, up to
// `end`, the bus's end at the latest.
struct NoteSpan {
    long len, end;
};

NoteSpan noteSpan(const NoteEvent& e, const MixBus& bus, long len) {
    return NoteSpan{len, std::min(e.start + len, bus.frames)};
}

// A held note sounds for its length, then fades out over its release.
struct HeldSpan {
    long len, end, release;
};

HeldSpan heldSpan(const NoteEvent& e, const MixBus& bus, float releaseSeconds) {
    const long release = secondsToFrames(releaseSeconds);
    const NoteSpan span = noteSpan(e, bus, e.length + release);
    return HeldSpan{span.len, span.end, release};
}

void renderKick(const NoteEvent& e, const MixBus& bus, const InstrumentMix& mix) {
    const float* sine = sineTable();
    const auto [len, end] = noteSpan(e, bus, secondsToFrames(0.5f));
    const float pitchK = decayFactor(0.03f), ampK = decayFactor(0.17f);
    const float clickK = decayFactor(0.002f);
    float phase = 0.0f, pitchEnv = 1.0f, amp = e.velocity, click = e.velocity;
    Noise noise = makeNoise(e.seed);
    Svf clickFilter;
    clickFilter.set(3000.0f, 0.7f);
    for (long n = e.start; n < end; ++n) {
        long t = n - e.start;
        phase += (46.0f + 130.0f * pitchEnv) * (1.0f / kRateF);
        if (phase >= 1.0f) phase -= 1.0f;
        float v = sineAt(sine, phase) * amp + clickFilter.bandPass(noise.next()) * click * 0.6f;
        v = v * 1.4f / (1.0f + 0.4f * std::fabs(v));  // a little saturation: rounder body
        v *= tailFade(t, len);
        emit(bus, mix, n, v, v);
        pitchEnv *= pitchK;
        amp *= ampK;
        click *= clickK;
    }
}

void renderSnare(const NoteEvent& e, const MixBus& bus, const InstrumentMix& mix) {
    const float* sine = sineTable();
    const auto [len, end] = noteSpan(e, bus, secondsToFrames(0.35f));
    const float pitchK = decayFactor(0.02f), bodyK = decayFactor(0.06f);
    const float noiseK = decayFactor(0.13f);
    float phase = 0.0f, pitchEnv = 1.0f, body = e.velocity * 0.55f, hiss = e.velocity * 0.8f;
    Noise noise = makeNoise(e.seed);
    Svf high, tone;
    high.set(1500.0f, 0.7f);
    tone.set(5200.0f, 0.9f);
    for (long n = e.start; n < end; ++n) {
        long t = n - e.start;
        phase += (180.0f + 40.0f * pitchEnv) * (1.0f / kRateF);
        if (phase >= 1.0f) phase -= 1.0f;
        float h = high.highPass(noise.next());
        float v = sineAt(sine, phase) * body + (h + 0.6f * tone.bandPass(h)) * hiss;
        v *= tailFade(t, len);
        emit(bus, mix, n, v, v);
        pitchEnv *= pitchK;
        body *= bodyK;
        hiss *= noiseK;
    }
}

void renderHat(const NoteEvent& e, const MixBus& bus, const InstrumentMix& mix, float decay,
               float seconds) {
    const auto [len, end] = noteSpan(e, bus, secondsToFrames(seconds));
    const float k = decayFactor(decay);
    const Pan pan = panGains(e.pan);
    float amp = e.velocity;
    Noise noise = makeNoise(e.seed);
    Svf high, ring;
    high.set(7500.0f, 0.9f);
    ring.set(10500.0f, 2.5f);
    for (long n = e.start; n < end; ++n) {
        float h = high.highPass(noise.next());
        float v = (h + 0.5f * ring.bandPass(h)) * amp * tailFade(n - e.start, len);
        emit(bus, mix, n, v * pan.left, v * pan.right);
        amp *= k;
    }
}

void renderClosedHat(const NoteEvent& e, const MixBus& bus, const InstrumentMix& mix) {
    renderHat(e, bus, mix, 0.028f, 0.15f);
}

void renderOpenHat(const NoteEvent& e, const MixBus& bus, const InstrumentMix& mix) {
    renderHat(e, bus, mix, 0.2f, 0.6f);
}

void renderCrash(const NoteEvent& e, const MixBus& bus, const InstrumentMix& mix) {
    const auto [len, end] = noteSpan(e, bus, secondsToFrames(3.0f));
    const long attack = secondsToFrames(0.003f);
    const float k = decayFactor(1.1f);
    float amp = e.velocity;
    Noise noiseL = makeNoise(e.seed), noiseR = makeNoise(e.seed + 7777u);
    Svf highL, highR, bodyL, bodyR;
    highL.set(5000.0f, 0.7f);
    highR.set(5200.0f, 0.7f);
    bodyL.set(3100.0f, 1.2f);
    bodyR.set(3400.0f, 1.2f);
    for (long n = e.start; n < end; ++n) {
        long t = n - e.start;
        float a = amp * (t < attack ? (float)t / (float)attack : 1.0f) * tailFade(t, len);
        float nl = noiseL.next(), nr = noiseR.next();
        float l = (highL.highPass(nl) + 0.3f * bodyL.bandPass(nl)) * a;
        float r = (highR.highPass(nr) + 0.3f * bodyR.bandPass(nr)) * a;
        emit(bus, mix, n, l, r);
        amp *= k;
    }
}

// Noise through a band-pass sweeping upwards, swelling into the next section.
void renderRiser(const NoteEvent& e, const MixBus& bus, const InstrumentMix& mix) {
    const auto [len, end] = noteSpan(e, bus, std::max(e.length, 1L));
    Noise noiseL = makeNoise(e.seed), noiseR = makeNoise(e.seed + 31u);
    Svf bandL, bandR;
    for (long n = e.start; n < end; ++n) {
        long t = n - e.start;
        float x = (float)t / (float)len;
        if (t % kControlStep == 0) {
            float hz = 300.0f * std::exp2(x * 4.55f);  // 300 Hz to 7 kHz
            bandL.set(hz, 2.5f);
            bandR.set(hz * 1.06f, 2.5f);
        }
        float a = e.velocity * x * x * tailFade(t, len) * 2.0f;
        emit(bus, mix, n, bandL.bandPass(noiseL.next()) * a, bandR.bandPass(noiseR.next()) * a);
    }
}

void renderBass(const NoteEvent& e, const MixBus& bus, const InstrumentMix& mix) {
    const float* sine = sineTable();
    const auto [len, end, release] = heldSpan(e, bus, 0.025f);
    const long attack = secondsToFrames(0.002f);
    const float hz = midiHz(e.pitch);
    const float filterK = decayFactor(0.09f);
    const float sweep = 250.0f + 2400.0f * e.bright;
    Saw saw;
    saw.inc = hz / kRateF;
    float subPhase = 0.0f, filterEnv = 1.0f;
    Svf low;
    for (long n = e.start; n < end; ++n) {
        long t = n - e.start;
        if (t % kControlStep == 0) low.set(90.0f + sweep * (0.25f + 0.75f * filterEnv), 1.3f);
        subPhase += saw.inc;
        if (subPhase >= 1.0f) subPhase -= 1.0f;
        float v = low.low(saw.next() * 0.6f) + sineAt(sine, subPhase) * 0.5f;
        v = v / (1.0f + 0.3f * std::fabs(v));
        v *= e.velocity * holdEnvelope(t, attack, e.length, release);
        emit(bus, mix, n, v, v);
        filterEnv *= filterK;
    }
}

// Three detuned saws spread across the stereo field, slowly breathing filter.
void renderPad(const NoteEvent& e, const MixBus& bus, const InstrumentMix& mix) {
    const float* sine = sineTable();
    const auto [len, end, release] = heldSpan(e, bus, 0.9f);
    const long attack = std::max(1L, secondsToFrames(e.attack));
    const float hz = midiHz(e.pitch);
    const float base = 350.0f + 2600.0f * e.bright;
    const Pan pan = panGains(e.pan);
    Noise seedNoise = makeNoise(e.seed);
    Saw saws[3];
    const float detune[3] = {0.9954f, 1.0f, 1.0046f};  // about 8 cents apart
    for (int i = 0; i < 3; ++i) {
        saws[i].inc = hz * detune[i] / kRateF;
        saws[i].phase = 0.5f + 0.5f * seedNoise.next();
    }
    Svf lowL, lowR;
    float env = 0.0f;
    for (long n = e.start; n < end; ++n) {
        long t = n - e.start;
        if (t % kControlStep == 0) {
            env = holdEnvelope(t, attack, e.length, release);
            float lfo = sineAt(sine, wrapTurns((float)n * (0.17f / kRateF)));
            float hzCut = base * (0.5f + 0.5f * env) * (1.0f + 0.15f * lfo);
            lowL.set(hzCut, 0.9f);
            lowR.set(hzCut * 1.03f, 0.9f);
        }
        float a = holdEnvelope(t, attack, e.length, release) * e.velocity;
        float s0 = saws[0].next(), s1 = saws[1].next(), s2 = saws[2].next();
        float l = lowL.low(s0 * 0.8f + s1 * 0.55f) * a;
        float r = lowR.low(s2 * 0.8f + s1 * 0.55f) * a;
        emit(bus, mix, n, l * pan.left, r * pan.right);
    }
}

// Two detuned saws, a plucked filter and a delayed vibrato.
void renderLead(const NoteEvent& e, const MixBus& bus, const InstrumentMix& mix) {
    const float* sine = sineTable();
    const auto [len, end, release] = heldSpan(e, bus, 0.15f);
    const long attack = secondsToFrames(0.005f);
    const float hz = midiHz(e.pitch);
    const float filterK = decayFactor(0.12f), decayK = decayFactor(0.25f);
    Saw a, b;
    float filterEnv = 1.0f, level = 1.0f;
    Svf low;
    for (long n = e.start; n < end; ++n) {
        long t = n - e.start;
        if (t % kControlStep == 0) {
            float seconds = (float)t / kRateF;
            float depth = std::clamp((seconds - 0.18f) / 0.3f, 0.0f, 1.0f) * 0.18f;
            float vib = depth * sineAt(sine, wrapTurns(seconds * 5.2f));
            float f = hz * std::exp2(vib / 12.0f) / kRateF;
            a.inc = f * 0.9965f;
            b.inc = f * 1.0035f;
            low.set(700.0f + 2200.0f * e.bright + 2600.0f * filterEnv, 1.6f);
        }
        float sustain = 0.75f + 0.25f * level;
        float v = low.low(a.next() + b.next()) * 0.5f;
        v *= e.velocity * sustain * holdEnvelope(t, attack, e.length, release);
        emit(bus, mix, n, v, v);
        filterEnv *= filterK;
        level *= decayK;
    }
}

// Two-operator FM: a bright strike that mellows as the modulation dies.
void renderBell(const NoteEvent& e, const MixBus& bus, const InstrumentMix& mix) {
    const float* sine = sineTable();
    const auto [len, end] = noteSpan(e, bus, secondsToFrames(0.8f));
    const long attack = secondsToFrames(0.001f);
    const float inc = midiHz(e.pitch) / kRateF;
    const float indexK = decayFactor(0.1f), ampK = decayFactor(0.26f);
    const Pan pan = panGains(e.pan);
    float car = 0.0f, mod = 0.0f, index = 1.2f + 1.6f * e.bright, amp = e.velocity;
    for (long n = e.start; n < end; ++n) {
        long t = n - e.start;
        mod += 2.0f * inc;
        if (mod >= 1.0f) mod -= 1.0f;
        car += inc;
        if (car >= 1.0f) car -= 1.0f;
        float m = sineAt(sine, mod) * (index + 0.25f) * (1.0f / (2.0f * kPi));
        float v = sineAt(sine, wrapTurns(car + m)) * amp * tailFade(t, len);
        if (t < attack) v *= (float)t / (float)attack;
        emit(bus, mix, n, v * pan.left, v * pan.right);
        index *= indexK;
        amp *= ampK;
    }
}

const InstrumentDef kInstruments[kInstrumentCount] = {
    {renderKick, {0.55f, 0.0f, 0.0f, false}},
    {renderSnare, {0.45f, 0.0f, 0.25f, false}},
    {renderClosedHat, {0.3f, 0.0f, 0.05f, false}},
    {renderOpenHat, {0.18f, 0.0f, 0.08f, false}},
    {renderCrash, {0.22f, 0.0f, 0.2f, false}},
    {renderRiser, {0.22f, 0.1f, 0.3f, false}},
    {renderBass, {0.6f, 0.0f, 0.0f, true}},
    {renderPad, {0.1f, 0.0f, 0.35f, true}},
    {renderLead, {0.2f, 0.3f, 0.25f, false}},
    {renderBell, {0.11f, 0.35f, 0.3f, false}},
};

}  // namespace

const InstrumentDef* instrumentTable() { return kInstruments; }

}  // namespace music
