#include "platform/win32/decoded_music.h"

// clang-format off
#include <windows.h>
// clang-format on

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/win32/mp3_decoder.h"

struct DecodedMusic {
    std::string path;
    HANDLE thread = nullptr;
    LONG stop = 0;  // written and read through the Interlocked calls alone
    LONG done = 0;  // set once the frames below are complete
    int16_t* samples = nullptr;
    long long frames = 0;
};

namespace {

bool stopAsked(DecodedMusic* m) { return InterlockedCompareExchange(&m->stop, 0, 0) != 0; }

// Appends up to 4096 frames: how many, 0 at the music's end, -1 when short
// of memory.
int decodeMore(DecodedMusic* m, Mp3Decoder* d, long long* capacity) {
    if (*capacity - m->frames < 4096) {
        const long long grown = *capacity + *capacity / 2 + 4096;
        void* bigger = std::realloc(m->samples, size_t(grown) * 4);
        if (!bigger) return -1;
        m->samples = static_cast<int16_t*>(bigger);
        *capacity = grown;
    }
    const int got = readMp3Frames(d, m->samples + 2 * m->frames, 4096);
    m->frames += got;
    return got;
}

DWORD WINAPI decodeWhole(void* user) {
    DecodedMusic* m = static_cast<DecodedMusic*>(user);
    Mp3Decoder d = {};
    if (!openMp3File(&d, m->path.c_str())) return 0;
    long long capacity = d.layout.musicSamples > 0 ? d.layout.musicSamples + 4096 : 0;
    m->samples = capacity > 0 ? static_cast<int16_t*>(std::malloc(size_t(capacity) * 4)) : nullptr;
    if (capacity > 0 && !m->samples) capacity = 0;
    int got = 0;
    while (!stopAsked(m) && (got = decodeMore(m, &d, &capacity)) > 0) {
    }
    // Complete only when the decoder gave all the music: not when stopped,
    // short of memory, or cut short by a frame that does not decode.
    const bool whole = !stopAsked(m) && got == 0 &&
                       (d.layout.musicSamples < 0 || m->frames == d.layout.musicSamples);
    closeMp3(&d);
    if (whole) InterlockedExchange(&m->done, 1);
    return 0;
}

}  // namespace

DecodedMusic* startDecodingMusic(const char* path) {
    DecodedMusic* m = new DecodedMusic;
    m->path = path;
    m->thread = CreateThread(nullptr, 0, decodeWhole, m, 0, nullptr);
    if (!m->thread) {
        delete m;
        return nullptr;
    }
    // Behind the pictures and the music that plays: time nobody else wants.
    SetThreadPriority(m->thread, THREAD_PRIORITY_BELOW_NORMAL);
    return m;
}

const int16_t* decodedMusicFrames(DecodedMusic* m, long long* frames) {
    if (!m || InterlockedCompareExchange(&m->done, 0, 0) == 0) return nullptr;
    *frames = m->frames;
    return m->samples;
}

void endDecodedMusic(DecodedMusic* m) {
    if (!m) return;
    InterlockedExchange(&m->stop, 1);
    WaitForSingleObject(m->thread, INFINITE);
    CloseHandle(m->thread);
    std::free(m->samples);
    delete m;
}
