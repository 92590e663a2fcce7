#pragma once
#include <string>
#include <vector>

// A stand-in for the drawing operations the part bodies call: every call is
// recorded with its arguments and the scene-wide switches at that moment.
struct DrawCall {
    std::string name;
    int target;               // layer index, scene place or texture slot; -1 when none
    std::vector<float> args;  // the numeric arguments after the target, in order
    const void* pointers[2];  // pointer arguments that are not table entries
    float sceneBrightness;
    int sceneWarpEnabled;
    int transparentNoFog;
    float cullFarZ;
};

namespace recorder {

std::vector<DrawCall>& calls();
void clear();

// Zero-filled tables (texture table, grid layers, scene bank), freshly made.
void resetTables();

// Calls with that name (and target, when given), in call order.
std::vector<DrawCall> named(const std::string& name, int target = -2);
// The names of all calls, in order.
std::vector<std::string> names();

// What verticesEvaluated() answers the bodies: off plays a frame for its
// history only (on after resetTables).
void playUnseen(bool on);

}  // namespace recorder
