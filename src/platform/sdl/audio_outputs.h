#pragma once
#include "platform/audio_output.h"

// The SDL backend's outputs: the sound server (PulseAudio, or PipeWire's
// pulse layer) and SDL's own audio drivers (ALSA, disk, dummy, ...).
extern const AudioOutput pulseAudioOutput;
extern const AudioOutput sdlAudioOutput;

// The sound server took the connection but refused the music's stream: SDL's
// audio, tried next, leaves its own sound-server driver out (it would ask the
// same server; SDL 2.26's driver crashes on a server without a sink).
void sdlAudioSkipsSoundServer();
