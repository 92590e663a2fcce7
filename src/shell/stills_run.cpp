#include "shell/stills_run.h"

#include <GL/gl.h>

namespace {

struct StillsProgress {
    const StillsRun* stills;
    long last;
    bool stop;
};

bool isStill(const StillsRun& s, long frame) {
    for (long f : s.frames)
        if (f == frame) return true;
    return false;
}

// The frame about to be drawn is seen whole, or only its state is made.
void scissorFor(const StillsRun& s, long frame) {
    if (s.drawAll || isStill(s, frame)) {
        glDisable(GL_SCISSOR_TEST);
    } else {
        glEnable(GL_SCISSOR_TEST);
        glScissor(0, 0, 1, 1);
    }
}

bool afterFrame(long frame, void* user) {
    StillsProgress* p = static_cast<StillsProgress*>(user);
    const StillsRun& s = *p->stills;
    size_t lastIndex = s.frames.size();
    if (frame == p->last)
        for (size_t i = 0; i < s.frames.size(); ++i)
            if (s.frames[i] == frame) lastIndex = i;
    for (size_t i = 0; i < s.frames.size() && !p->stop; ++i) {
        if (s.frames[i] != frame) continue;
        if (s.onStill && !s.onStill(StillAt{i, frame, i == lastIndex}, s.user)) p->stop = true;
    }
    scissorFor(s, frame + 1);
    return frame < p->last && !p->stop;
}

// The caller's own end of a frame, handed its own user pointer.
void endFrame(void* user) {
    const StillsRun& s = *static_cast<StillsProgress*>(user)->stills;
    s.run.present(s.user);
}

HeadlessRun withStills(const StillsRun& stills, StillsProgress* progress) {
    HeadlessRun run = stills.run;
    run.onFrame = afterFrame;
    if (stills.run.present) run.present = endFrame;
    run.user = progress;
    return run;
}

StillsProgress progressOf(const StillsRun& stills) {
    StillsProgress p = {&stills, 0, false};
    for (long f : stills.frames) p.last = f > p.last ? f : p.last;
    return p;
}

}  // namespace

int runStills(const StillsRun& stills) {
    StillsProgress progress = progressOf(stills);
    return runHeadless(withStills(stills, &progress), nullptr);
}

long playStills(const StillsRun& stills) {
    StillsProgress progress = progressOf(stills);
    // Frame 0 is drawn whole, as on a fresh start, whatever the last run left.
    glDisable(GL_SCISSOR_TEST);
    return playHeadless(withStills(stills, &progress));
}
