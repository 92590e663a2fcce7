#include "script/frame_loop.h"

#include "glcalls/gl_calls.h"
#include "script/parts.h"
#include "script/timeline.h"
#include "state/demo_state.h"

int updateDemoClock(uint32_t now, uint32_t previous, uint32_t musicStart) {
    // Differences as signed 32-bit values, so a timer wrap-around is harmless.
    const int32_t frameMs = int32_t(now - previous);
    const int32_t elapsed = int32_t(now - musicStart);
    const int part = partIndexForElapsed(elapsed);
    demo.partMs = elapsed - partStartMs(part);
    demo.DemoClock.totalTime = float(double(elapsed) * 0.035);
    demo.DemoClock.partTime = float(double(demo.partMs) * 0.035);
    demo.DemoClock.frameStep = float(double(frameMs) * 0.015);
    return part;
}

namespace {
bool stopAsked(const FrameLoopIo& io) {
    return (io.escapeHeld && io.escapeHeld(io.user)) || (io.callerDone && io.callerDone(io.user));
}
}  // namespace

long runDemo(const FrameLoopIo& io) {
    void* const user = io.user;
    uint32_t previous = io.readTimer(user);
    int previousPart = 0;
    long frames = 0;
    if (stopAsked(io)) return 0;
    while (previousPart < partCount - 1) {
        if (io.pumpMessages) io.pumpMessages(user);
        // The zero follows the sound on the very reading the frame is drawn
        // for, so the music time drawn never goes back (a zero moved on
        // another reading would, by the time between the two readings).
        const uint32_t now = io.readTimer(user);
        const uint32_t musicStart = io.musicStart ? io.musicStart(user, now) : 0;
        const int part = updateDemoClock(now, previous, musicStart);

        float clear[4];
        partClearColour(part, clear);
        gl.ClearColor(clear[0], clear[1], clear[2], clear[3]);
        gl.ClearDepth(1.0);
        gl.DepthFunc(GL_LEQUAL);
        // The layers of the previous frame leave depth writes off, and a clear
        // obeys the depth mask: without this the cell masks would stay forever.
        gl.DepthMask(GL_TRUE);
        gl.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

        runPartBody(part);
        if (io.presentFrame) io.presentFrame(user);
        ++frames;
        if (stopAsked(io)) break;
        previousPart = part;
        previous = now;
    }
    return frames;
}
