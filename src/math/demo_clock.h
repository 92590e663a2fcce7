#pragma once

// The three time values of the current frame. Written only by the frame loop;
// read everywhere. It lives at one fixed place: hooks keep &DemoClock.partTime.
struct DemoClockRecord {
    float totalTime;  // 35 units per second since the music started
    float partTime;   // 35 units per second since the current part started
    float frameStep;  // 15 units per second of the last frame's duration
};

extern DemoClockRecord DemoClock;  // starts at {0, 0, 1}
