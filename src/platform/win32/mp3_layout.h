#pragma once
#include <cstddef>
#include <cstdint>

// Where an MP3 file's sound starts and ends. A decoder that turns every
// frame into samples (the system's Layer-3 codec does) also gives the
// encoder's header frame as silence, the encoder's delay and its own: the
// music starts that many samples in. LAME says in that header frame how
// long the delay and the end padding were.
struct Mp3Layout {
    size_t firstFrame;       // byte offset of the first frame (after an ID3v2 tag)
    int rate;                // samples per second
    int channels;            // 1 or 2
    int bitrate;             // of the first frame, bits per second
    int frameBytes;          // size of the first frame, padding slot excluded
    int samplesPerFrame;     // 1152 (MPEG-1) or 576 (MPEG-2 and 2.5)
    bool headerFrame;        // the first frame is an encoder's "Xing"/"Info" frame
    int encoderDelay;        // samples, from LAME's tag (0 without one)
    int encoderPadding;      // samples, from LAME's tag (0 without one)
    long long musicSamples;  // the music's own length per channel; -1 when unknown
};

// The delay of the Layer-3 synthesis filter bank, in samples: every decoder
// that decodes whole frames has it in front of the music.
enum : int { mp3DecoderDelay = 529 };

// Reads the layout from the start of a file. False when no Layer-3 frame
// header is found in its first 64 KB after any ID3v2 tag.
bool readMp3Layout(const unsigned char* data, size_t size, Mp3Layout* layout);

// Samples a whole-frame decoder gives before music sample 0.
long long mp3LeadingSamples(const Mp3Layout& layout);
