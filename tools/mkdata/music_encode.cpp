// Encodes the rendered soundtrack with LAME and writes "5tfina.mp3".

#include <lame/lame.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "mkdata.h"
#include "music.h"

namespace music {

namespace {

struct LameHandle {
    lame_global_flags* flags = lame_init();
    ~LameHandle() {
        if (flags) lame_close(flags);
    }
};

bool append(std::vector<unsigned char>& mp3, const std::vector<unsigned char>& buffer, int bytes) {
    if (bytes < 0) {
        std::fprintf(stderr, "mkdata: the MP3 encoder failed (code %d)\n", bytes);
        return false;
    }
    mp3.insert(mp3.end(), buffer.begin(), buffer.begin() + bytes);
    return true;
}

}  // namespace

int encodeMp3(const std::vector<short>& pcm, std::vector<unsigned char>& mp3) {
    mp3.clear();
    LameHandle lame;
    lame_global_flags* gf = lame.flags;
    if (!gf) {
        std::fprintf(stderr, "mkdata: cannot start the MP3 encoder\n");
        return 0;
    }
    lame_set_num_channels(gf, 2);
    lame_set_in_samplerate(gf, kMusicRate);
    lame_set_out_samplerate(gf, kMusicRate);
    lame_set_mode(gf, JOINT_STEREO);
    lame_set_VBR(gf, vbr_off);
    lame_set_brate(gf, 192);
    lame_set_quality(gf, 5);
    // No ID3 tag: the info frame must be the file's first frame.
    lame_set_write_id3tag_automatic(gf, 0);
    lame_set_bWriteVbrTag(gf, 1);
    if (lame_init_params(gf) < 0) {
        std::fprintf(stderr, "mkdata: the MP3 encoder rejected its settings\n");
        return 0;
    }
    const int chunk = 1152 * 32;
    std::vector<unsigned char> buffer((size_t)(1.25 * chunk) + 7200);
    const long frames = (long)(pcm.size() / 2);
    mp3.reserve((size_t)frames / 2 + 65536);
    for (long at = 0; at < frames; at += chunk) {
        int n = (int)std::min<long>(chunk, frames - at);
        int bytes = lame_encode_buffer_interleaved(gf, const_cast<short*>(&pcm[2 * (size_t)at]), n,
                                                   buffer.data(), (int)buffer.size());
        if (!append(mp3, buffer, bytes)) return 0;
    }
    if (!append(mp3, buffer, lame_encode_flush(gf, buffer.data(), (int)buffer.size()))) return 0;
    // The info frame carries the encoder delay and padding: gapless decoders
    // then return exactly the rendered length. LAME reserved the first frame.
    unsigned char tag[2880];
    size_t tagBytes = lame_get_lametag_frame(gf, tag, sizeof tag);
    if (tagBytes == 0 || tagBytes > sizeof tag || tagBytes > mp3.size()) {
        std::fprintf(stderr, "mkdata: the MP3 encoder gave no info frame\n");
        return 0;
    }
    std::memcpy(mp3.data(), tag, tagBytes);
    return 1;
}

}  // namespace music

int writeSoundtrack(const char* dir) {
    // Open the file first: a bad folder fails before seconds of synthesis.
    std::string path = std::string(dir) + "/5tfina.mp3";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "mkdata: cannot create %s: %s\n", path.c_str(), std::strerror(errno));
        return 0;
    }
    std::vector<short> pcm;
    music::renderMusic(music::kMusicFrames, pcm);
    std::vector<unsigned char> mp3;
    bool ok = music::encodeMp3(pcm, mp3) != 0;
    if (ok && std::fwrite(mp3.data(), 1, mp3.size(), f) != mp3.size()) {
        std::fprintf(stderr, "mkdata: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
        ok = false;
    }
    if (std::fclose(f) != 0 && ok) {
        std::fprintf(stderr, "mkdata: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
        ok = false;
    }
    if (!ok) std::remove(path.c_str());
    return ok ? 1 : 0;
}
