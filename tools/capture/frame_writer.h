#pragma once
#include <string>

#include "video_pipe.h"

// Writes finished frames on a thread of its own, so that encoding (ffmpeg
// reading the pipe) or PNG compression runs beside the drawing of the next
// frames. A few frame buffers circulate: the drawing side takes a free one,
// reads a frame into it and queues it; the writer hands it back once written.
struct FrameWriter;

// Frames of width x height RGB go to the video pipe, or, when video is null,
// to PNG files named at submitFrame. buffers: how many frames may wait (>= 2).
FrameWriter* startFrameWriter(VideoPipe* video, int width, int height, int buffers);

// A free buffer of width x height x 3 bytes; waits while all of them are queued.
unsigned char* takeFrameBuffer(FrameWriter* writer);

// Queues a buffer from takeFrameBuffer, with the PNG path when writing files.
// False once any write has failed (the frame is dropped then); the failure has
// been reported on stderr.
bool submitFrame(FrameWriter* writer, unsigned char* buffer, const std::string& pngPath);

// Writes what is still queued, stops the thread and frees everything. True when
// every frame was written.
bool finishFrameWriter(FrameWriter* writer);
