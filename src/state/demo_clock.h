#pragma once

// The three time values of the current frame, demo.DemoClock (starts at
// {0, 0, 1}). Written only by the frame loop; read everywhere.
struct DemoClockRecord {
    float totalTime;  // 35 units per second since the music started
    float partTime;   // 35 units per second since the current part started
    float frameStep;  // 15 units per second of the last frame's duration
};

