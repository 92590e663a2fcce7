#pragma once
// Damaged copies of the generated data and the real programs run on them.
#include <gtest/gtest.h>
#include <sys/types.h>

#include <string>
#include <vector>

#include "support/install_copy.h"
#include "support/process.h"

namespace failtest {

extern const std::string generatedData;  // BUILD/data, written by mkdata

bool haveData();

// A test of the programs on the generated data: skipped where there is none.
class GeneratedDataTest : public testing::Test {
protected:
    void SetUp() override {
        if (!haveData()) GTEST_SKIP() << "no generated data in " << generatedData;
    }
};

// A fresh folder holding a copy of the windowed program and a data folder that
// links every generated file except those left out. Removed by removeTree.
std::string installCopy(const std::string& tag, const std::vector<std::string>& leaveOut = {});

// Puts real bytes in place of a data file of an installed copy.
bool replaceDataFile(const std::string& dir, const std::string& name, const std::string& bytes);
// Puts an empty folder in place of a data file.
bool replaceWithFolder(const std::string& dir, const std::string& name);
std::string generatedBytes(const std::string& name);

ProcessResult runWindowed(const std::string& dir, const std::vector<std::string>& env,
                          int timeoutSeconds = waitLimitSeconds());
// demo-capture on the copy's data: PNG frames into DIR/frames, quiet, plus `args`.
ProcessResult runCapture(const std::string& dir, const std::vector<std::string>& args,
                         int timeoutSeconds = waitLimitSeconds());

// The windowed program of an installed copy, running in the background, its
// stderr in a file of its own.
struct RunningDemo {
    pid_t pid = -1;
    std::string errPath;
    bool ended = false;
    int status = 0;  // wait status, once ended
};
RunningDemo startWindowed(const std::string& dir, const std::vector<std::string>& env);
// Waits until the demo has started its soundtrack (its audio thread is there),
// which comes after all its loading, right before its first frame; up to
// waitLimitSeconds(). False when it ended first or the time ran out.
bool waitForSoundtrack(RunningDemo* demo);
// Waits up to `seconds` for the demo to end; false when it still runs.
bool waitForEnd(RunningDemo* demo, double seconds);
// Kills the demo if it still runs and returns what it wrote to stderr.
std::string stopAndCollect(RunningDemo* demo);

// The program ended by itself, neither killed nor timed out, with exit code 1.
void expectExitOne(const ProcessResult& r, const std::string& what);
// The windowed program of the copy, headless, ends its start-up with exit code
// 1, and what it wrote holds `says` and, when given, not `neverSays`.
ProcessResult expectStartUpRefused(const std::string& dir, const std::string& says,
                                   const std::string& neverSays = "");

int countOf(const std::string& text, const std::string& what);
// Position of the first line that starts with `prefix` and contains `part`, or npos.
size_t findLine(const std::string& text, const std::string& prefix, const std::string& part);

// A 24-bit BMP with the file header, filled with a colour ramp. A negative
// height stores the rows top-down.
std::string makeBmp(int width, int height);

// Reads a PNG written by demo-capture; false when it is not there or not readable.
bool readPng(const std::string& path, int* width, int* height, std::vector<unsigned char>* rgb);
// Number of distinct colours of an RGB picture, counted up to `limit`.
int distinctColours(const std::vector<unsigned char>& rgb, int limit);

}  // namespace failtest
