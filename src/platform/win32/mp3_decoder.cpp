#include "platform/win32/mp3_decoder.h"

// clang-format off
#include <windows.h>
#include <mmreg.h>
#include <msacm.h>
// clang-format on

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/data_file.h"

struct Mp3DecoderState {
    unsigned char* file = nullptr;
    size_t size = 0;
    size_t next = 0;  // first byte not yet given to the codec
    HACMSTREAM stream = nullptr;
    ACMSTREAMHEADER header = {};
    bool prepared = false;
    bool started = false;
    unsigned char* in = nullptr;
    unsigned char* out = nullptr;
    DWORD inCapacity = 0, outCapacity = 0;
    // Decoded samples not yet taken: out[pendingAt .. pendingEnd).
    DWORD pendingAt = 0, pendingEnd = 0;
    long long skip = 0;       // leading frames still to drop
    long long remaining = 0;  // music frames still to give; -1: to the end
    bool drained = false;
};

namespace {
// Bytes handed to the codec at a time: a few dozen frames.
constexpr DWORD chunkBytes = 16384;

bool openCodec(Mp3DecoderState* s, const Mp3Layout& layout) {
    MPEGLAYER3WAVEFORMAT mp3 = {};
    mp3.wfx.wFormatTag = WAVE_FORMAT_MPEGLAYER3;
    mp3.wfx.nChannels = WORD(layout.channels);
    mp3.wfx.nSamplesPerSec = DWORD(layout.rate);
    mp3.wfx.nAvgBytesPerSec = DWORD(layout.bitrate / 8);
    mp3.wfx.nBlockAlign = 1;
    mp3.wfx.wBitsPerSample = 0;
    mp3.wfx.cbSize = MPEGLAYER3_WFX_EXTRA_BYTES;
    mp3.wID = MPEGLAYER3_ID_MPEG;
    mp3.fdwFlags = MPEGLAYER3_FLAG_PADDING_OFF;
    mp3.nBlockSize = WORD(layout.frameBytes);
    mp3.nFramesPerBlock = 1;
    mp3.nCodecDelay = 0;
    WAVEFORMATEX pcm = {};
    pcm.wFormatTag = WAVE_FORMAT_PCM;
    pcm.nChannels = WORD(layout.channels);
    pcm.nSamplesPerSec = DWORD(layout.rate);
    pcm.wBitsPerSample = 16;
    pcm.nBlockAlign = WORD(2 * layout.channels);
    pcm.nAvgBytesPerSec = pcm.nSamplesPerSec * pcm.nBlockAlign;
    if (acmStreamOpen(&s->stream, nullptr, &mp3.wfx, &pcm, nullptr, 0, 0, 0) != 0) {
        s->stream = nullptr;
        return false;
    }
    s->inCapacity = chunkBytes;
    if (acmStreamSize(s->stream, s->inCapacity, &s->outCapacity, ACM_STREAMSIZEF_SOURCE) != 0 ||
        s->outCapacity == 0)
        s->outCapacity = chunkBytes * 64;  // far above any bitrate's ratio
    s->in = static_cast<unsigned char*>(std::malloc(s->inCapacity));
    s->out = static_cast<unsigned char*>(std::malloc(s->outCapacity));
    if (!s->in || !s->out) return false;
    s->header.cbStruct = sizeof s->header;
    s->header.pbSrc = s->in;
    s->header.cbSrcLength = s->inCapacity;
    s->header.pbDst = s->out;
    s->header.cbDstLength = s->outCapacity;
    if (acmStreamPrepareHeader(s->stream, &s->header, 0) != 0) return false;
    s->prepared = true;
    return true;
}

void freeState(Mp3DecoderState* s) {
    if (!s) return;
    if (s->prepared) {
        s->header.cbSrcLength = s->inCapacity;
        s->header.cbDstLength = s->outCapacity;
        acmStreamUnprepareHeader(s->stream, &s->header, 0);
    }
    if (s->stream) acmStreamClose(s->stream, 0);
    std::free(s->in);
    std::free(s->out);
    std::free(s->file);
    delete s;
}

// Decodes the next chunk into out. False at the end of the file.
bool decodeChunk(Mp3DecoderState* s) {
    if (s->drained) return false;
    const size_t left = s->size - s->next;
    const DWORD n = DWORD(left < s->inCapacity ? left : s->inCapacity);
    std::memcpy(s->in, s->file + s->next, n);
    s->next += n;
    s->header.cbSrcLength = n;
    s->header.cbDstLength = s->outCapacity;
    s->header.cbSrcLengthUsed = 0;
    s->header.cbDstLengthUsed = 0;
    DWORD flags = ACM_STREAMCONVERTF_BLOCKALIGN;
    if (!s->started) flags |= ACM_STREAMCONVERTF_START;
    if (s->next >= s->size) {
        flags = ACM_STREAMCONVERTF_END | (s->started ? 0 : ACM_STREAMCONVERTF_START);
        s->drained = true;
    }
    s->started = true;
    if (acmStreamConvert(s->stream, &s->header, flags) != 0) {
        s->drained = true;
        return false;
    }
    // What the codec did not take (a partial frame at the chunk's end) is
    // given again with the next chunk.
    if (!s->drained && s->header.cbSrcLengthUsed < n) s->next -= n - s->header.cbSrcLengthUsed;
    s->pendingAt = 0;
    s->pendingEnd = s->header.cbDstLengthUsed;
    if (!s->drained && s->header.cbSrcLengthUsed == 0 && s->pendingEnd == 0) s->drained = true;
    return true;
}

bool openState(Mp3Decoder* decoder, unsigned char* bytes, size_t size) {
    Mp3DecoderState* s = new Mp3DecoderState;
    s->file = bytes;
    s->size = size;
    decoder->state = nullptr;
    if (!readMp3Layout(bytes, size, &decoder->layout) || !openCodec(s, decoder->layout)) {
        freeState(s);
        return false;
    }
    s->next = decoder->layout.firstFrame;
    s->skip = mp3LeadingSamples(decoder->layout);
    s->remaining = decoder->layout.musicSamples;
    // A file counts only when its first chunk decodes to samples.
    decoder->state = s;
    while (s->pendingEnd == 0 && decodeChunk(s)) {
    }
    if (s->pendingEnd == 0) {
        decoder->state = nullptr;
        freeState(s);
        return false;
    }
    return true;
}
}  // namespace

bool openMp3File(Mp3Decoder* decoder, const char* path) {
    unsigned char* bytes = nullptr;
    long long size = 0;
    // 256 MB: far beyond any soundtrack.
    if (readRegularFile(path, 256ll << 20, &bytes, &size) != dataFileOk) {
        std::fprintf(stderr, "audio: cannot open %s\n", path);
        return false;
    }
    if (!openState(decoder, bytes, size_t(size))) {
        std::fprintf(stderr, "audio: %s does not decode as MP3\n", path);
        return false;
    }
    return true;
}

bool openMp3Bytes(Mp3Decoder* decoder, const unsigned char* data, long size) {
    decoder->state = nullptr;
    if (!data || size <= 0) return false;
    unsigned char* bytes = static_cast<unsigned char*>(std::malloc(size_t(size)));
    if (!bytes) return false;
    std::memcpy(bytes, data, size_t(size));
    return openState(decoder, bytes, size_t(size));
}

int readMp3Frames(Mp3Decoder* decoder, int16_t* out, int frames) {
    Mp3DecoderState* s = decoder->state;
    if (!s) return 0;
    const int channels = decoder->layout.channels;
    const DWORD inFrameBytes = DWORD(2 * channels);
    int done = 0;
    while (done < frames && s->remaining != 0) {
        if (s->pendingEnd - s->pendingAt < inFrameBytes) {
            if (!decodeChunk(s)) break;
            continue;
        }
        long long available = (s->pendingEnd - s->pendingAt) / inFrameBytes;
        if (s->skip > 0) {
            const long long dropped = available < s->skip ? available : s->skip;
            s->pendingAt += DWORD(dropped) * inFrameBytes;
            s->skip -= dropped;
            continue;
        }
        long long take = frames - done;
        if (take > available) take = available;
        if (s->remaining > 0 && take > s->remaining) take = s->remaining;
        const int16_t* in = reinterpret_cast<const int16_t*>(s->out + s->pendingAt);
        for (long long i = 0; i < take; ++i) {
            out[2 * (done + i)] = in[i * channels];
            out[2 * (done + i) + 1] = in[i * channels + channels - 1];
        }
        s->pendingAt += DWORD(take) * inFrameBytes;
        done += int(take);
        if (s->remaining > 0) s->remaining -= take;
    }
    return done;
}

bool seekMp3(Mp3Decoder* decoder, long long sample) {
    Mp3DecoderState* s = decoder->state;
    if (!s || sample < 0) return false;
    s->next = decoder->layout.firstFrame;
    s->skip = mp3LeadingSamples(decoder->layout);
    s->remaining = decoder->layout.musicSamples;
    s->started = false;  // the next chunk restarts the codec
    s->drained = false;
    s->pendingAt = s->pendingEnd = 0;
    int16_t dropped[4096 * 2];
    while (sample > 0) {
        const int got = readMp3Frames(decoder, dropped, int(sample < 4096 ? sample : 4096));
        if (got <= 0) return false;
        sample -= got;
    }
    return true;
}

void closeMp3(Mp3Decoder* decoder) {
    freeState(decoder->state);
    decoder->state = nullptr;
}
