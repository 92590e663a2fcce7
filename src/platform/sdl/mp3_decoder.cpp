#include <cstdio>  // SEEK_SET

#include "platform/audio.h"
#include "platform/audio_output.h"
#include "platform/sdl/mp3_decoder.h"

namespace {
bool decoderLibraryUp = false;

bool startDecoderLibrary() {
    if (!decoderLibraryUp) decoderLibraryUp = mpg123_init() == MPG123_OK;
    return decoderLibraryUp;
}

// Signed 16-bit output at whatever rate and channel count the file has.
mpg123_handle* newDecoder() {
    if (!startDecoderLibrary()) return nullptr;
    int err = 0;
    mpg123_handle* mh = mpg123_new(nullptr, &err);
    if (!mh) return nullptr;
    mpg123_param(mh, MPG123_FLAGS, MPG123_GAPLESS | MPG123_QUIET, 0);
    mpg123_format_none(mh);
    const long* rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (size_t i = 0; i < rateCount; ++i)
        mpg123_format(mh, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    return mh;
}
}  // namespace

mpg123_handle* openCheckedStream(const char* path, long* rate, int* channels) {
    mpg123_handle* mh = newDecoder();
    if (!mh) return nullptr;
    int encoding = 0;
    if (mpg123_open(mh, path) != MPG123_OK) {
        sayAudioFault(AudioFault::stream, "cannot open %s", path);
        mpg123_delete(mh);
        return nullptr;
    }
    // A stream counts only when a first frame decodes.
    if (mpg123_getformat(mh, rate, channels, &encoding) != MPG123_OK ||
        mpg123_decode_frame(mh, nullptr, nullptr, nullptr) == MPG123_ERR) {
        sayAudioFault(AudioFault::stream, "%s does not decode as MP3", path);
        mpg123_close(mh);
        mpg123_delete(mh);
        return nullptr;
    }
    mpg123_seek(mh, 0, SEEK_SET);
    return mh;
}

void closeDecoder(mpg123_handle* mh) {
    if (!mh) return;
    mpg123_close(mh);
    mpg123_delete(mh);
}

size_t decodeSome(mpg123_handle* mh, unsigned char* out, size_t bytes, bool* ended) {
    size_t filled = 0;
    while (!*ended && filled < bytes) {
        size_t done = 0;
        const int rc = mpg123_read(mh, out + filled, bytes - filled, &done);
        filled += done;
        if (rc == MPG123_DONE || (rc != MPG123_OK && rc != MPG123_NEW_FORMAT && done == 0))
            *ended = true;
    }
    return filled;
}

bool seekDecoder(mpg123_handle* mh, uint32_t musicMs) {
    long rate = 0;
    int channels = 0, encoding = 0;
    if (!mh || mpg123_getformat(mh, &rate, &channels, &encoding) != MPG123_OK || rate <= 0)
        return false;
    const off_t sample = off_t((int64_t(musicMs) * rate + 500) / 1000);
    return mpg123_seek(mh, sample, SEEK_SET) >= 0;
}

int audioCheckStreamFile(const char* path) {
    long rate = 0;
    int channels = 0;
    mpg123_handle* mh = openCheckedStream(path, &rate, &channels);
    if (!mh) return 0;
    closeDecoder(mh);
    return 1;
}

long audioProbeBytes(const unsigned char* data, long size) {
    if (!data || size <= 0) return 0;
    mpg123_handle* mh = newDecoder();
    if (!mh) return 0;
    long samples = 0;
    if (mpg123_open_feed(mh) == MPG123_OK &&
        mpg123_feed(mh, data, size_t(size)) == MPG123_OK) {
        long rate = 0;
        int channels = 0, encoding = 0;
        unsigned char chunk[8192];
        for (;;) {
            size_t done = 0;
            const int rc = mpg123_read(mh, chunk, sizeof chunk, &done);
            if (rc == MPG123_NEW_FORMAT) {
                mpg123_getformat(mh, &rate, &channels, &encoding);
                continue;
            }
            if (channels > 0) samples += long(done / (2 * size_t(channels)));
            if (rc != MPG123_OK || (rate > 0 && samples >= rate)) break;
        }
    }
    mpg123_delete(mh);
    return samples;
}

long long audioDecodedLength(const char* path, long* rate, int* channels) {
    mpg123_handle* mh = newDecoder();
    if (!mh) return -1;
    long long length = -1;
    int encoding = 0;
    long r = 0;
    int c = 0;
    if (mpg123_open(mh, path) == MPG123_OK && mpg123_getformat(mh, &r, &c, &encoding) == MPG123_OK &&
        mpg123_scan(mh) == MPG123_OK) {
        length = mpg123_length(mh);
        mpg123_close(mh);
    }
    mpg123_delete(mh);
    if (rate) *rate = r;
    if (channels) *channels = c;
    return length;
}
