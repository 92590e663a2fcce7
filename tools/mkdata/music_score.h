#pragma once

// The arrangement of the soundtrack: harmony, melodies and the sections that
// follow the timeline, turned into a flat list of note events for the voices.

#include <cstdint>
#include <vector>

namespace music {

enum Instrument {
    kKick,
    kSnare,
    kClosedHat,
    kOpenHat,
    kCrash,
    kRiser,
    kBass,
    kPad,
    kLead,
    kBell,
    kInstrumentCount
};

struct NoteEvent {
    int instrument;
    long start;      // first frame
    long length;     // frames the note is held (voices add their own release)
    float pitch;     // MIDI note number
    float velocity;  // 0..1
    float pan;       // -1 left .. 1 right
    float bright;    // 0..1: filter opening of the voice
    float attack;    // seconds (pads only)
    uint32_t seed;   // noise and phase seed: the same on every run
};

struct ChordDef {
    int bass;      // MIDI root of the bass line
    int tones[4];  // pad voicing, MIDI
};

struct ChordStep {
    const ChordDef* chord;
    int bars;
};

struct Progression {
    int count;
    ChordStep steps[4];
};

struct MelodyNote {
    int step;  // sixteenth within the 8-bar loop
    int len;   // sixteenths
    int midi;
};

struct Melody {
    int count;
    const MelodyNote* notes;
    int loopSteps;
};

// Layers a section plays.
enum Layer : unsigned {
    kLayerPadSoft = 1u << 0,    // slow-attack pads
    kLayerPad = 1u << 1,
    kLayerArp8 = 1u << 2,       // bell arpeggio in eighths
    kLayerArp16 = 1u << 3,      // bell arpeggio in sixteenths
    kLayerBassLong = 1u << 4,
    kLayerBassOff = 1u << 5,    // off-beat eighths
    kLayerBassRoll = 1u << 6,   // rolling sixteenths between the kicks
    kLayerKickHalf = 1u << 7,   // kicks on beats 1 and 3
    kLayerKick4 = 1u << 8,      // four to the floor
    kLayerSnareBack = 1u << 9,  // snare on 2 and 4
    kLayerSnareHalf = 1u << 10, // snare on 3
    kLayerHats8 = 1u << 11,
    kLayerHats16 = 1u << 12,
    kLayerOpenHat = 1u << 13,
    kLayerLead = 1u << 14,
    kLayerLeadOctave = 1u << 15,
    kLayerRiser = 1u << 16,     // noise swell over the last two bars
    kLayerRoll = 1u << 17,      // snare roll over the last bar
    kLayerCrash = 1u << 18,     // cymbal on the first beat
};

struct Section {
    int part;        // timeline part this section belongs to
    int startBeat;   // [startBeat, endBeat)
    int endBeat;
    int anchorBeat;  // where the progression and the melody start their loop
    const Progression* progression;
    const Melody* melody;  // null: no lead
    unsigned layers;
    float bright0, bright1;  // filter opening at the start and the end
};

// The sections in time order; they tile the beats from 0 to the end.
const Section* sections(int* count);

// Chord sounding at `beat` in `section`, with the beats where it starts and ends.
const ChordDef* chordAt(const Section& section, int beat, int* spanStart, int* spanEnd);

// Every note of the track, in a fixed order.
std::vector<NoteEvent> buildScore();

}  // namespace music
