// The Windows build records PNG frames only: it starts no ffmpeg.
#include "video_pipe.h"

std::string videoUnavailable() {
    return "this Windows build writes PNG frames only (use --png or --at); "
           "the Linux build records video";
}

std::string findFfmpeg() { return ""; }

VideoPipe* openVideoPipe(const std::string&, const std::string&, const VideoFormat&,
                         const std::string&, double, double) {
    return nullptr;
}

bool writeVideoFrame(VideoPipe*, const unsigned char*, size_t) { return false; }

bool closeVideoPipe(VideoPipe*) { return false; }

void abortVideoPipe(VideoPipe*) {}

VideoPipe* startVideoJoin(const std::string&, const std::string&, const std::string&, long,
                          const std::string&, double, double) {
    return nullptr;
}
