#pragma once

// The instruments of the soundtrack. Each voice renders one note event and
// adds it, panned and scaled, into the mix bus and the effect sends.

#include "music_score.h"

namespace music {

struct MixBus {
    float* left;
    float* right;
    float* delaySend;   // mono send to the echo
    float* reverbSend;  // mono send to the room
    const float* duck;  // side-chain gain per frame, dips under every kick
    long frames;
};

struct InstrumentMix {
    float gain;
    float delaySend;
    float reverbSend;
    bool ducked;  // follows the kick's side-chain
};

typedef void (*VoiceFn)(const NoteEvent& note, const MixBus& bus, const InstrumentMix& mix);

struct InstrumentDef {
    VoiceFn render;
    InstrumentMix mix;
};

// kInstrumentCount entries, indexed by Instrument.
const InstrumentDef* instrumentTable();

}  // namespace music
