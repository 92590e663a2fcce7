// Calls the music start-up makes because of its shape, not because they do
// anything here: the start-up checks the player's version and starts the
// player before it plays the stream, as it was written against a player
// that needed both. Kept so the start-up reads as it was made; nothing else
// should grow here.
#include "platform/audio.h"

// The player is the one built in: its version is always the one asked for.
uint32_t audioGetVersion() { return audioPlayerVersion; }

// The output starts with the stream's play: 1 once an output is open.
int audioStart() { return audioOutputName()[0] != '\0' ? 1 : 0; }
