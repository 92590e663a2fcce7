#pragma once
#include <string>

// An ffmpeg process that takes raw RGB frames on its standard input and writes
// an H.264 MP4 with the soundtrack muxed in.
struct VideoPipe;

// The ffmpeg program on PATH, or empty.
std::string findFfmpeg();

// audioOffset and duration in seconds: the soundtrack from audioOffset, cut to
// the video's duration; preset is x264's speed preset. Null (with a message)
// when ffmpeg cannot be started.
VideoPipe* openVideoPipe(const std::string& ffmpeg, const std::string& output, int width,
                         int height, long rateNum, long rateDen, const std::string& soundtrack,
                         double audioOffset, double duration,
                         const std::string& preset = "veryfast");
bool writeVideoFrame(VideoPipe* pipe, const unsigned char* rgb, size_t bytes);
// Waits for ffmpeg; true when it succeeded.
bool closeVideoPipe(VideoPipe* pipe);
// Ends ffmpeg at once, for a capture that failed or was stopped; whatever it
// wrote is unfinished.
void abortVideoPipe(VideoPipe* pipe);
