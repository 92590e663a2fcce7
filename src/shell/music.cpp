#include "shell/music.h"

#include <climits>

#include "platform/audio.h"
#include "platform/data_file.h"
#include "platform/data_path.h"
#include "platform/timer.h"
#include "script/frame_loop.h"

uint32_t musicStream = 0;

int startMusic(const char* path) {
    if (audioGetVersion() != 0x80000) return 0;
    if (!audioInit(-1, 44100, 0)) return 0;
    char real[PATH_MAX];
    if (!resolveDataPath(path, real, sizeof real)) return 0;
    // The player opens the file by name: a named pipe there would wait forever.
    const char* kind = nullptr;
    const DataFileStatus status = checkRegularFile(real, &kind);
    if (status != dataFileOk) {
        printDataFileProblem(path, real, status, kind);
        return 0;
    }
    musicStream = audioStreamCreateFile(0, real, 0, 0, 0);
    if (!musicStream) return 0;
    audioStart();
    audioStreamPlay(musicStream, 0, 4);
    musicStartMs = readSystemTimer();
    return 1;
}

void stopMusic() {
    audioFree();
    musicStream = 0;
}

void queryMusicPosition() { (void)audioChannelGetPosition(musicStream); }
