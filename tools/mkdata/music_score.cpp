// Turns the section plan into note events: drum patterns, bass lines, pads,
// arpeggios and the lead melody, all on the sixteenth grid of the beat.

#include <algorithm>

#include "music.h"
#include "music_score.h"

namespace music {

namespace {

struct ScoreWriter {
    std::vector<NoteEvent>* out;
    void add(int instrument, long start, long length, float pitch, float velocity, float pan,
             float bright, float attack = 0.0f) {
        uint32_t seed = (uint32_t)out->size() + 1u;
        out->push_back(
            NoteEvent{instrument, start, length, pitch, velocity, pan, bright, attack, seed});
    }
    void addSteps(int instrument, long step, long steps, float pitch, float velocity, float pan,
                  float bright) {
        long f0 = stepFrame(step);
        add(instrument, f0, stepFrame(step + steps) - f0, pitch, velocity, pan, bright);
    }
};

float brightAt(const Section& s, long step) {
    float t = (float)(step - s.startBeat * 4L) / (float)((s.endBeat - s.startBeat) * 4L);
    return s.bright0 + (s.bright1 - s.bright0) * std::clamp(t, 0.0f, 1.0f);
}

// Small fixed variation of loudness so repeated hats do not sound machine-flat.
float jitter(long step) {
    uint32_t h = (uint32_t)step * 2246822519u + 374761393u;
    h ^= h >> 15;
    h *= 2654435761u;
    h ^= h >> 13;
    return ((float)(h & 1023u) / 1023.0f - 0.5f) * 0.1f;
}

const ChordDef* chordAtStep(const Section& s, long step) {
    int a, b;
    return chordAt(s, (int)(step / 4), &a, &b);
}

void addPads(const Section& s, ScoreWriter& w) {
    bool soft = (s.layers & kLayerPadSoft) != 0;
    for (int beat = s.startBeat; beat < s.endBeat;) {
        int spanStart, spanEnd;
        const ChordDef* chord = chordAt(s, beat, &spanStart, &spanEnd);
        int end = std::min(spanEnd, s.endBeat);
        long f0 = beatFrame(beat);
        for (int i = 0; i < 4; ++i)
            w.add(kPad, f0, beatFrame(end) - f0, (float)chord->tones[i], soft ? 0.9f : 0.6f,
                  -0.6f + 0.4f * (float)i, brightAt(s, beat * 4L), soft ? 1.6f : 0.3f);
        beat = end;
    }
}

void addArpeggio(const Section& s, ScoreWriter& w) {
    static const int kOrder16[8] = {0, 1, 2, 3, 2, 1, 3, 2};
    static const int kOrder8[4] = {0, 2, 1, 3};
    bool eighths = (s.layers & kLayerArp16) == 0;
    for (long st = s.startBeat * 4L; st < s.endBeat * 4L; ++st) {
        if (eighths && st % 2) continue;
        const ChordDef* chord = chordAtStep(s, st);
        long note = eighths ? st / 2 : st;  // notes alternate left and right
        int tone = eighths ? kOrder8[note % 4] : kOrder16[note % 8];
        float velocity = (st % 4 == 0 ? 0.7f : 0.45f) + jitter(st);
        float pan = (note % 2 == 0) ? -0.35f : 0.35f;
        w.addSteps(kBell, st, 1, (float)(chord->tones[tone] + 12), velocity, pan, brightAt(s, st));
    }
}

void addBass(const Section& s, ScoreWriter& w) {
    long first = s.startBeat * 4L, last = s.endBeat * 4L;
    for (long st = first; st < last; ++st) {
        const ChordDef* chord = chordAtStep(s, st);
        float root = (float)chord->bass;
        float bright = brightAt(s, st);
        long bar = st % 16;
        if (s.layers & kLayerBassLong) {
            // Held roots, re-struck on the "and" of beat 3; a section starting
            // inside a bar gets a note at once.
            if (bar == 0 || bar == 10 || st == first) {
                long next = (bar < 10) ? st - bar + 10 : st - bar + 16;
                w.addSteps(kBass, st, std::min(next, last) - st, root, 0.8f, 0.0f, bright * 0.6f);
            }
        } else if (s.layers & kLayerBassOff) {
            if (st % 4 == 2)
                w.addSteps(kBass, st, 2, root + (st % 32 == 30 ? 12.0f : 0.0f), 0.85f, 0.0f,
                           bright);
        } else if (s.layers & kLayerBassRoll) {
            if (st % 4 != 0)
                w.addSteps(kBass, st, 1, root + (st % 8 == 7 ? 12.0f : 0.0f),
                           (st % 4 == 2 ? 0.85f : 0.7f), 0.0f, bright);
        }
    }
}

void addDrums(const Section& s, ScoreWriter& w) {
    const unsigned L = s.layers;
    long first = s.startBeat * 4L, last = s.endBeat * 4L;
    long rollStart = (L & kLayerRoll) ? last - 16 : last;
    for (long st = first; st < last; ++st) {
        long bar = st % 16;
        if ((L & kLayerKick4) && st % 4 == 0) w.addSteps(kKick, st, 1, 0, 1.0f, 0, 0);
        if (L & kLayerKickHalf) {
            if (bar == 0 || bar == 8) w.addSteps(kKick, st, 1, 0, 1.0f, 0, 0);
            if (st % 32 == 26) w.addSteps(kKick, st, 1, 0, 0.6f, 0, 0);
        }
        if (st < rollStart) {
            if ((L & kLayerSnareBack) && (bar == 4 || bar == 12))
                w.addSteps(kSnare, st, 1, 0, 0.9f, 0, 0);
            if ((L & kLayerSnareHalf) && bar == 8) w.addSteps(kSnare, st, 1, 0, 0.85f, 0, 0);
        } else {
            // Eighths, then sixteenths, growing louder into the next section.
            bool hit = (st >= last - 8) || (st % 2 == 0);
            float t = (float)(st - rollStart) / 16.0f;
            if (hit) w.addSteps(kSnare, st, 1, 0, 0.3f + 0.65f * t, 0, 0);
        }
        bool open = (L & kLayerOpenHat) && st % 4 == 2;
        if (open) {
            w.addSteps(kOpenHat, st, 1, 0, 0.55f + jitter(st), -0.15f, 0);
        } else if (L & kLayerHats16) {
            static const float kAccent[4] = {0.5f, 0.25f, 0.75f, 0.3f};
            w.addSteps(kClosedHat, st, 1, 0, kAccent[st % 4] + jitter(st), 0.25f, 0);
        } else if ((L & kLayerHats8) && st % 2 == 0) {
            w.addSteps(kClosedHat, st, 1, 0, (st % 4 == 2 ? 0.7f : 0.4f) + jitter(st), 0.25f, 0);
        }
    }
    if (L & kLayerCrash) w.add(kCrash, beatFrame(s.startBeat), 0, 0, 0.75f, 0, 0);
    if (L & kLayerRiser) {
        long f0 = beatFrame(s.endBeat - 8);
        w.add(kRiser, f0, beatFrame(s.endBeat) - f0, 0, (L & kLayerPadSoft) ? 0.35f : 0.6f, 0, 0);
    }
}

void addLead(const Section& s, ScoreWriter& w) {
    const Melody& m = *s.melody;
    long first = s.startBeat * 4L, last = s.endBeat * 4L, anchor = s.anchorBeat * 4L;
    long loop = (first - anchor) / m.loopSteps;
    if (first < anchor) loop -= 1;
    for (long base = anchor + loop * m.loopSteps; base < last; base += m.loopSteps) {
        for (int i = 0; i < m.count; ++i) {
            long st = base + m.notes[i].step;
            if (st < first || st >= last) continue;
            long len = std::min<long>(m.notes[i].len, last - st);
            float pitch = (float)m.notes[i].midi;
            float bright = brightAt(s, st);
            w.addSteps(kLead, st, len, pitch, 0.8f, 0.0f, bright);
            if (s.layers & kLayerLeadOctave)
                w.addSteps(kLead, st, len, pitch + 12.0f, 0.35f, 0.0f, bright);
        }
    }
}

}  // namespace

std::vector<NoteEvent> buildScore() {
    std::vector<NoteEvent> events;
    events.reserve(20000);
    ScoreWriter w{&events};
    int count = 0;
    const Section* list = sections(&count);
    for (int i = 0; i < count; ++i) {
        const Section& s = list[i];
        if (s.layers & (kLayerPad | kLayerPadSoft)) addPads(s, w);
        if (s.layers & (kLayerArp8 | kLayerArp16)) addArpeggio(s, w);
        if (s.layers & (kLayerBassLong | kLayerBassOff | kLayerBassRoll)) addBass(s, w);
        addDrums(s, w);
        if ((s.layers & kLayerLead) && s.melody) addLead(s, w);
    }
    return events;
}

}  // namespace music
