// Harmony, melodies and the section plan of the soundtrack (A minor).

#include "music.h"
#include "music_score.h"
#include "script/timeline.h"

namespace music {

// The demo's own part boundaries, up to the end of the last part that draws.
const int kPartBoundaryMs[kPartCount + 1] = {Timeline[0], Timeline[1], Timeline[2], Timeline[3],
                                             Timeline[4], Timeline[5], Timeline[6], Timeline[7],
                                             Timeline[8], Timeline[9]};
static_assert(kPartCount == lastPlayedPart + 1, "one theme section per part that draws");

long beatFrame(int beat) { return kBeatOriginFrame + (long)beat * kBeatFrames; }

long stepFrame(long step) {
    // A sixteenth is 4488.75 frames: round down from the exact position.
    long long exact4 = (long long)kBeatOriginFrame * 4 + (long long)step * kBeatFrames;
    return (long)(exact4 >= 0 ? exact4 / 4 : -((-exact4 + 3) / 4));
}

namespace {

// MIDI: A1 = 33, A3 = 57, A4 = 69. Pad voicings stay between F3 and B4 and move
// by small steps from chord to chord.
constexpr ChordDef kAm = {33, {57, 60, 64, 71}};  // A minor, added ninth
constexpr ChordDef kF = {41, {53, 57, 60, 67}};   // F, added ninth
constexpr ChordDef kC = {36, {55, 60, 64, 67}};
constexpr ChordDef kG = {43, {55, 59, 62, 69}};   // G, added ninth
constexpr ChordDef kEm = {40, {55, 59, 64, 67}};
constexpr ChordDef kE = {40, {56, 59, 64, 68}};   // E major: the harmonic-minor turn

constexpr Progression kProgMain = {4, {{&kAm, 2}, {&kF, 2}, {&kC, 2}, {&kG, 2}}};
constexpr Progression kProgDrama = {4, {{&kAm, 2}, {&kG, 2}, {&kF, 2}, {&kE, 2}}};
constexpr Progression kProgBreak = {4, {{&kF, 2}, {&kG, 2}, {&kEm, 2}, {&kAm, 2}}};
constexpr Progression kProgOutro = {3, {{&kAm, 2}, {&kF, 2}, {&kAm, 4}}};

// Main theme over Am F C G: a rising call in each chord, answered downwards.
constexpr MelodyNote kThemeANotes[] = {
    {0, 2, 69},   {2, 2, 72},   {4, 6, 76},   {10, 2, 74},  {12, 4, 72},  {16, 2, 71},
    {18, 2, 72},  {20, 8, 69},  {32, 2, 69},  {34, 2, 72},  {36, 6, 77},  {42, 2, 76},
    {44, 4, 72},  {48, 4, 69},  {52, 2, 72},  {54, 6, 74},  {64, 2, 67},  {66, 2, 72},
    {68, 6, 76},  {74, 2, 79},  {76, 4, 76},  {80, 2, 74},  {82, 2, 76},  {84, 8, 72},
    {96, 2, 71},  {98, 2, 74},  {100, 4, 79}, {104, 4, 74}, {108, 4, 71}, {112, 2, 74},
    {114, 10, 76},
};

// Over Am G F E, with the G sharp of harmonic minor; starts after a beat's rest.
constexpr MelodyNote kThemeBNotes[] = {
    {4, 2, 76},   {6, 2, 81},   {8, 2, 79},   {10, 2, 76},  {12, 4, 72},  {16, 2, 74},
    {18, 2, 76},  {20, 6, 69},  {26, 2, 72},  {28, 4, 71},  {32, 2, 71},  {34, 2, 74},
    {36, 6, 79},  {42, 2, 77},  {44, 4, 74},  {48, 2, 71},  {50, 2, 74},  {52, 8, 67},
    {60, 4, 71},  {64, 2, 72},  {66, 2, 77},  {68, 6, 81},  {74, 2, 79},  {76, 4, 77},
    {80, 2, 76},  {82, 2, 77},  {84, 8, 72},  {92, 4, 69},  {96, 2, 68},  {98, 2, 71},
    {100, 6, 76}, {106, 2, 74}, {108, 4, 71}, {112, 4, 68}, {116, 2, 71}, {118, 2, 74},
    {120, 8, 76},
};

// Slow song over F G Em Am for the calm sections.
constexpr MelodyNote kThemeCNotes[] = {
    {0, 8, 69},   {8, 8, 72},   {16, 12, 77}, {28, 4, 76}, {32, 8, 74},  {40, 8, 71},
    {48, 8, 67},  {56, 4, 71},  {60, 4, 74},  {64, 8, 76}, {72, 8, 79},  {80, 12, 83},
    {92, 4, 81},  {96, 12, 76}, {108, 4, 72}, {112, 16, 69},
};

template <int N>
constexpr Melody melody(const MelodyNote (&notes)[N]) {
    return Melody{N, notes, 128};
}

constexpr Melody kThemeA = melody(kThemeANotes);
constexpr Melody kThemeB = melody(kThemeBNotes);
constexpr Melody kThemeC = melody(kThemeCNotes);

constexpr unsigned kFullGroove = kLayerPad | kLayerArp16 | kLayerKick4 | kLayerSnareBack |
                                 kLayerHats16 | kLayerOpenHat;

// Section starts sit on the beat nearest each part boundary (the bar line when
// that is within about half a beat), so cuts and musical changes coincide.
constexpr Section kSections[] = {
    // part 0: title. Pads alone, then a bell arpeggio and a swell into part 1.
    {0, 0, 16, 0, &kProgMain, nullptr, kLayerPadSoft, 0.15f, 0.3f},
    {0, 16, 32, 0, &kProgMain, nullptr, kLayerPadSoft | kLayerArp8 | kLayerRiser, 0.3f, 0.45f},
    // part 1: light scene. The groove builds up in three steps; the theme enters.
    {1, 32, 64, 32, &kProgMain, nullptr,
     kLayerPad | kLayerArp16 | kLayerBassLong | kLayerHats8 | kLayerCrash, 0.35f, 0.5f},
    {1, 64, 96, 64, &kProgMain, nullptr,
     kLayerPad | kLayerArp16 | kLayerBassLong | kLayerHats8 | kLayerKickHalf | kLayerSnareHalf,
     0.5f, 0.55f},
    {1, 96, 132, 96, &kProgMain, &kThemeA,
     kLayerPad | kLayerArp16 | kLayerBassLong | kLayerHats8 | kLayerKickHalf | kLayerSnareHalf |
         kLayerLead,
     0.55f, 0.6f},
    // part 2: darm scene. Half-time build; four to the floor from the pulse at beat 168.
    {2, 132, 168, 136, &kProgMain, nullptr,
     kLayerPad | kLayerArp16 | kLayerBassLong | kLayerKickHalf | kLayerHats8 | kLayerCrash |
         kLayerRiser | kLayerRoll,
     0.3f, 0.8f},
    {2, 168, 201, 168, &kProgMain, &kThemeA,
     kFullGroove | kLayerBassOff | kLayerLead | kLayerCrash, 0.7f, 0.75f},
    // part 3: neuronal scene. Darker turn with a rolling bass.
    {3, 201, 264, 200, &kProgDrama, &kThemeB,
     kFullGroove | kLayerBassRoll | kLayerLead | kLayerCrash | kLayerRoll, 0.6f, 0.8f},
    // part 4: darm scene at double speed.
    {4, 264, 328, 264, &kProgMain, &kThemeA,
     kFullGroove | kLayerBassRoll | kLayerLead | kLayerCrash, 0.75f, 0.8f},
    // part 5: aterie scene. Breakdown, build-up, groove.
    {5, 328, 360, 328, &kProgBreak, &kThemeC,
     kLayerPad | kLayerArp8 | kLayerBassLong | kLayerLead | kLayerCrash, 0.4f, 0.5f},
    {5, 360, 392, 360, &kProgMain, nullptr,
     kLayerPad | kLayerArp16 | kLayerBassOff | kLayerKick4 | kLayerHats8 | kLayerRiser |
         kLayerRoll,
     0.4f, 0.8f},
    {5, 392, 424, 392, &kProgMain, &kThemeA,
     kFullGroove | kLayerBassOff | kLayerLead | kLayerCrash, 0.75f, 0.8f},
    // part 6: underwater fish. The peak: theme doubled an octave up.
    {6, 424, 492, 424, &kProgMain, &kThemeA,
     kFullGroove | kLayerBassOff | kLayerLead | kLayerLeadOctave | kLayerCrash | kLayerRoll,
     0.8f, 0.9f},
    // part 7: mirror scene. Half time, the slow song again.
    {7, 492, 533, 492, &kProgBreak, &kThemeC,
     kLayerPad | kLayerArp16 | kLayerBassLong | kLayerKickHalf | kLayerSnareHalf | kLayerHats8 |
         kLayerLead | kLayerCrash,
     0.55f, 0.45f},
    // part 8: kopuli scene. Pads and bells come to rest on A minor.
    {8, 533, 559, 532, &kProgOutro, nullptr,
     kLayerPadSoft | kLayerArp8 | kLayerBassLong | kLayerCrash, 0.4f, 0.15f},
};

}  // namespace

const Section* sections(int* count) {
    *count = (int)(sizeof kSections / sizeof kSections[0]);
    return kSections;
}

int partStartBeat(int part) {
    int count = 0;
    const Section* list = sections(&count);
    if (part >= kPartCount) return list[count - 1].endBeat;
    for (int i = 0; i < count; ++i)
        if (list[i].part >= part) return list[i].startBeat;
    return list[count - 1].endBeat;
}

const ChordDef* chordAt(const Section& section, int beat, int* spanStart, int* spanEnd) {
    const Progression& prog = *section.progression;
    int loopBeats = 0;
    for (int i = 0; i < prog.count; ++i) loopBeats += prog.steps[i].bars * 4;
    int rel = beat - section.anchorBeat;
    int loopStart = beat - (((rel % loopBeats) + loopBeats) % loopBeats);
    int at = loopStart;
    for (int i = 0; i < prog.count; ++i) {
        int next = at + prog.steps[i].bars * 4;
        if (beat < next) {
            *spanStart = at;
            *spanEnd = next;
            return prog.steps[i].chord;
        }
        at = next;
    }
    *spanStart = loopStart;
    *spanEnd = loopStart + loopBeats;
    return prog.steps[0].chord;
}

}  // namespace music
