#include "frame_writer.h"

#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "png_write.h"

namespace {
struct Job {
    unsigned char* buffer;
    std::string pngPath;
};
}  // namespace

struct FrameWriter {
    VideoPipe* video = nullptr;
    int width = 0, height = 0;
    size_t frameBytes = 0;
    std::vector<std::vector<unsigned char>> storage;
    std::mutex lock;
    std::condition_variable changed;
    std::vector<unsigned char*> free;
    std::deque<Job> queue;
    bool closing = false;
    bool failed = false;
    std::thread thread;
};

namespace {
void writeLoop(FrameWriter* w) {
    for (;;) {
        Job job;
        {
            std::unique_lock<std::mutex> hold(w->lock);
            w->changed.wait(hold, [w] { return w->closing || !w->queue.empty(); });
            if (w->queue.empty()) return;  // closing, and everything is written
            job = w->queue.front();
            w->queue.pop_front();
        }
        bool ok = true;
        bool skip;
        {
            std::lock_guard<std::mutex> hold(w->lock);
            skip = w->failed;
        }
        if (!skip) {
            if (w->video) {
                ok = writeVideoFrame(w->video, job.buffer, w->frameBytes);
                if (!ok) std::fprintf(stderr, "\ndemo-capture: ffmpeg stopped taking frames\n");
            } else {
                ok = writePng(job.pngPath, w->width, w->height, job.buffer);
            }
        }
        std::lock_guard<std::mutex> hold(w->lock);
        if (!ok) w->failed = true;
        w->free.push_back(job.buffer);
        w->changed.notify_all();
    }
}
}  // namespace

FrameWriter* startFrameWriter(VideoPipe* video, int width, int height, int buffers) {
    FrameWriter* w = new FrameWriter;
    w->video = video;
    w->width = width;
    w->height = height;
    w->frameBytes = size_t(width) * size_t(height) * 3;
    if (buffers < 2) buffers = 2;
    w->storage.resize(size_t(buffers));
    for (std::vector<unsigned char>& b : w->storage) {
        b.resize(w->frameBytes);
        w->free.push_back(b.data());
    }
    w->thread = std::thread(writeLoop, w);
    return w;
}

unsigned char* takeFrameBuffer(FrameWriter* w) {
    std::unique_lock<std::mutex> hold(w->lock);
    w->changed.wait(hold, [w] { return !w->free.empty(); });
    unsigned char* b = w->free.back();
    w->free.pop_back();
    return b;
}

bool submitFrame(FrameWriter* w, unsigned char* buffer, const std::string& pngPath) {
    std::lock_guard<std::mutex> hold(w->lock);
    if (w->failed) {
        w->free.push_back(buffer);
        w->changed.notify_all();
        return false;
    }
    w->queue.push_back(Job{buffer, pngPath});
    w->changed.notify_all();
    return true;
}

bool finishFrameWriter(FrameWriter* w) {
    {
        std::lock_guard<std::mutex> hold(w->lock);
        w->closing = true;
        w->changed.notify_all();
    }
    w->thread.join();
    const bool ok = !w->failed;
    delete w;
    return ok;
}
