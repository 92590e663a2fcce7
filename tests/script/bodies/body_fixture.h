#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <string>
#include <vector>

#include "fx/switches.h"
#include "recorder/draw_recorder.h"
#include "script/parts.h"
#include "script/setup.h"
#include "script/timeline.h"
#include "state/demo_state.h"

// Runs one part body at a chosen moment against zeroed tables and the draw
// recorder.
class PartBody : public ::testing::Test {
protected:
    void SetUp() override {
        recorder::resetTables();
        recorder::clear();
        resetSceneSwitches();
        demo.waterCanvas = nullptr;
        demo.surfaceTexelTable = nullptr;
        demo.waterOffsetTable = nullptr;
    }

    // The clock as the frame loop sets it for this part and part time.
    static void runAt(int part, float partTime) {
        runAtMs(part, int(std::lround(partTime / 0.035)), partTime);
    }
    static void runAtMs(int part, int ms) { runAtMs(part, ms, float(ms * 0.035)); }
    static void runAtMs(int part, int ms, float partTime) {
        recorder::clear();
        demo.partMs = ms;
        demo.DemoClock.partTime = partTime;
        demo.DemoClock.totalTime = float((partStartMs(part) + ms) * 0.035);
        demo.DemoClock.frameStep = 1;
        runPartBody(part);
    }

    static std::vector<DrawCall> calls(const std::string& name, int target = -2) {
        return recorder::named(name, target);
    }
    // The one call of that name and target; fails the test when there is not exactly one.
    static DrawCall only(const std::string& name, int target = -2) {
        std::vector<DrawCall> found = recorder::named(name, target);
        EXPECT_EQ(found.size(), 1u) << name << " " << target;
        return found.empty() ? DrawCall{} : found.front();
    }
    static float tt() { return demo.DemoClock.totalTime; }

    // At each part time, the part draws that scene once, at that scene time.
    struct SceneTimeAt {
        float pt, sceneTime;
    };
    static void expectSceneTimes(int part, int scene, std::initializer_list<SceneTimeAt> rows) {
        for (const SceneTimeAt& row : rows) {
            runAt(part, row.pt);
            EXPECT_NEAR(only("renderScene", scene).args[0], row.sceneTime, 1e-3) << "pt " << row.pt;
        }
    }
};

// Argument positions of the grid-layer draws.
enum GridArg : int { brightnessArg = 0, xArg = 1, yArg = 2, zArg = 3, timeArg = 4 };
