#include "platform/win32/mp3_layout.h"

#include <cstring>

namespace {
struct FrameHeader {
    int version;  // 1, 2 (MPEG-2) or 25 (MPEG-2.5)
    int rate, channels, bitrate, bytes, samples;
    int sideInfoBytes;
};

bool parseHeader(const unsigned char* p, FrameHeader* h) {
    if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0) return false;
    const int versionBits = (p[1] >> 3) & 3;  // 0: 2.5, 2: 2, 3: 1
    const int layerBits = (p[1] >> 1) & 3;    // 1: Layer III
    const int bitrateIndex = p[2] >> 4;
    const int rateIndex = (p[2] >> 2) & 3;
    if (versionBits == 1 || layerBits != 1 || bitrateIndex == 0 || bitrateIndex == 15 ||
        rateIndex == 3)
        return false;
    static const int bitratesV1[15] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    static const int bitratesV2[15] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
    static const int ratesV1[3] = {44100, 48000, 32000};
    h->version = versionBits == 3 ? 1 : versionBits == 2 ? 2 : 25;
    h->rate = ratesV1[rateIndex] / (h->version == 1 ? 1 : h->version == 2 ? 2 : 4);
    h->bitrate = (h->version == 1 ? bitratesV1 : bitratesV2)[bitrateIndex] * 1000;
    h->channels = (p[3] >> 6) == 3 ? 1 : 2;
    h->samples = h->version == 1 ? 1152 : 576;
    h->bytes = h->samples / 8 * h->bitrate / h->rate;
    if (h->version == 1)
        h->sideInfoBytes = h->channels == 1 ? 17 : 32;
    else
        h->sideInfoBytes = h->channels == 1 ? 9 : 17;
    return h->bytes > 4;
}

uint32_t be32(const unsigned char* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}
}  // namespace

namespace {

// Where the first frame starts (its header in *h), or size when there is none
// within 64 kB after the ID3v2 tag.
size_t findFirstFrame(const unsigned char* data, size_t size, FrameHeader* h) {
    size_t at = 0;
    // An ID3v2 tag: ten bytes of header, then its size in 7-bit bytes.
    if (size >= 10 && std::memcmp(data, "ID3", 3) == 0) {
        const size_t tagBytes = size_t(data[6] & 0x7F) << 21 | size_t(data[7] & 0x7F) << 14 |
                                size_t(data[8] & 0x7F) << 7 | size_t(data[9] & 0x7F);
        at = 10 + tagBytes + ((data[5] & 0x10) ? 10 : 0);
    }
    const size_t searchEnd = at + 65536 < size ? at + 65536 : size;
    // A frame counts where the next one follows right after it (or the file
    // ends there): stray 0xFF bytes in a tag are not a frame.
    for (; at + 4 <= searchEnd; ++at) {
        if (!parseHeader(data + at, h)) continue;
        const size_t next = at + size_t(h->bytes) + ((data[at + 2] >> 1) & 1);
        FrameHeader following;
        if (next + 4 > size || parseHeader(data + next, &following)) return at;
    }
    return size;
}

// The Xing/Info header in the first frame (at `at`), and LAME's tag after it:
// the frame count, the encoder's delay and padding, and so the music's length.
void readHeaderFrame(const unsigned char* data, size_t size, size_t at, const FrameHeader& h,
                     Mp3Layout* layout) {
    const size_t tag = at + 4 + size_t(h.sideInfoBytes);
    if (tag + 8 > size || (std::memcmp(data + tag, "Xing", 4) != 0 &&
                           std::memcmp(data + tag, "Info", 4) != 0))
        return;
    layout->headerFrame = true;
    const uint32_t flags = be32(data + tag + 4);
    size_t field = tag + 8;
    long long frames = -1;
    if (flags & 1) {
        if (field + 4 > size) return;
        frames = be32(data + field);
        field += 4;
    }
    if (flags & 2) field += 4;    // byte count
    if (flags & 4) field += 100;  // seek table
    if (flags & 8) field += 4;    // quality
    // LAME's tag: nine bytes of version, then at 21 the delay and the padding
    // in twelve bits each.
    if (field + 24 > size || field + 24 > at + size_t(h.bytes)) return;
    const unsigned char* lame = data + field;
    if (std::memcmp(lame, "LAME", 4) != 0 && std::memcmp(lame, "Lavc", 4) != 0 &&
        std::memcmp(lame, "Lavf", 4) != 0)
        return;
    layout->encoderDelay = lame[21] << 4 | lame[22] >> 4;
    layout->encoderPadding = (lame[22] & 0x0F) << 8 | lame[23];
    if (frames > 0) {
        const long long total =
            frames * h.samples - layout->encoderDelay - layout->encoderPadding;
        if (total > 0) layout->musicSamples = total;
    }
}

}  // namespace

bool readMp3Layout(const unsigned char* data, size_t size, Mp3Layout* layout) {
    if (!data || !layout) return false;
    *layout = Mp3Layout{};
    layout->musicSamples = -1;
    FrameHeader h = {};
    const size_t at = findFirstFrame(data, size, &h);
    if (at >= size) return false;
    layout->firstFrame = at;
    layout->rate = h.rate;
    layout->channels = h.channels;
    layout->bitrate = h.bitrate;
    layout->frameBytes = h.bytes;
    layout->samplesPerFrame = h.samples;
    readHeaderFrame(data, size, at, h, layout);
    return true;
}

long long mp3LeadingSamples(const Mp3Layout& layout) {
    // Without a LAME tag nothing says where the music starts: like the
    // Linux build, the decoder's output is taken as it comes, less the
    // silent header frame.
    const long long header = layout.headerFrame ? layout.samplesPerFrame : 0;
    if (layout.musicSamples < 0 && layout.encoderDelay == 0) return header;
    return header + layout.encoderDelay + mp3DecoderDelay;
}
