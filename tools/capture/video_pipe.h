#pragma once
#include <string>

// An ffmpeg process that takes raw RGB frames on its standard input and writes
// an H.264 MP4 with the soundtrack muxed in; and the join of such MP4s made
// piece by piece into one, without encoding the pictures again. The colours
// are stated in the stream and in the MP4 (video_pipe.cpp, addColours): BT.709,
// limited range; a lossless video RGB, full range. A join keeps its pieces'.
struct VideoPipe;

// Empty where this build records video; else why it does not (the Windows
// build starts no ffmpeg: video_pipe_win32.cpp).
std::string videoUnavailable();

// The ffmpeg program on PATH, or empty.
std::string findFfmpeg();

// How the pictures are encoded. Every piece of a recording made in pieces is
// encoded with the same settings, so that the pieces join as they are.
struct VideoFormat {
    int width = 640, height = 480;
    long rateNum = 60, rateDen = 1;
    std::string preset = "veryfast";  // x264's speed preset
    bool lossless = false;  // H.264's lossless mode on the RGB frames themselves
    // The timestamps in units of the frame rate, movie and track alike: the
    // pieces of a recording then join without the 1 ms rounding of MP4's
    // default movie time scale between them.
    bool exactTimestamps = false;
};

// The MP4 time scale that counts whole frames at num/den frames a second:
// num, doubled until it resolves at least 1/10000 s (what ffmpeg would choose).
long videoTimescale(long rateNum);

// audioOffset and duration in seconds: the soundtrack from audioOffset, cut to
// the video's duration (no soundtrack: empty). Null when ffmpeg cannot be
// started.
VideoPipe* openVideoPipe(const std::string& ffmpeg, const std::string& output,
                         const VideoFormat& format, const std::string& soundtrack,
                         double audioOffset, double duration);
bool writeVideoFrame(VideoPipe* pipe, const unsigned char* rgb, size_t bytes);
// Waits for ffmpeg; true when it succeeded.
bool closeVideoPipe(VideoPipe* pipe);
// Ends ffmpeg at once, for a capture that failed or was stopped; whatever it
// wrote is unfinished.
void abortVideoPipe(VideoPipe* pipe);

// Joins the MP4 pieces named in `list` (ffmpeg's concat list) into `output`
// without encoding the pictures again, and encodes the soundtrack once for the
// whole length beside them. Starts ffmpeg like openVideoPipe; close it with
// closeVideoPipe (true when the join succeeded) or abortVideoPipe.
VideoPipe* startVideoJoin(const std::string& ffmpeg, const std::string& list,
                          const std::string& output, long rateNum, const std::string& soundtrack,
                          double audioOffset, double duration);
