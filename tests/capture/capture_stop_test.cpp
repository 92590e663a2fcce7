// The capture and benchmark programs as processes: stopped by signals, failing
// part-way, and given awkward names. Nothing half-written may be left under
// the name asked for.
#include <gtest/gtest.h>
#include <png.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/png_read.h"
#include "support/process.h"

namespace {

const std::string dataDir = DEMO_BUILD_DIR "/data";
bool haveData() { return fileExists(dataDir + "/light.dat"); }
const std::vector<std::string> headless = {"SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=dummy",
                                           "DISPLAY="};

// A program running in the background, its stderr in a file.
struct Child {
    pid_t pid = -1;
    std::string dir;  // holds its stderr
    int status = 0;
};

Child start(const std::string& program, const std::vector<std::string>& args) {
    Child c;
    c.dir = makeTempDir("child");
    c.pid = fork();
    if (c.pid == 0) {
        const int err = open((c.dir + "/err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int in = open("/dev/null", O_RDONLY);
        dup2(in, 0);
        dup2(err, 1);
        dup2(err, 2);
        for (const std::string& e : headless) putenv(strdup(e.c_str()));
        std::vector<char*> argv = {const_cast<char*>(program.c_str())};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    return c;
}

// Waits up to waitLimitSeconds(); false (and the child killed) when it did
// not end.
bool finish(Child* c) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(waitLimitSeconds());
    while (std::chrono::steady_clock::now() < until) {
        if (waitpid(c->pid, &c->status, WNOHANG) == c->pid) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(c->pid, SIGKILL);
    waitpid(c->pid, &c->status, 0);
    return false;
}

std::string errorsOf(const Child& c) {
    std::ifstream in(c.dir + "/err");
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// Waits until `path` exists (the program is past its start-up), up to
// waitLimitSeconds().
bool waitForFile(const std::string& path) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(waitLimitSeconds());
    while (std::chrono::steady_clock::now() < until) {
        if (fileExists(path)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

std::vector<std::string> entries(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    return names;
}

bool wholePng(const std::string& path, int* width, int* height) {
    std::vector<unsigned char> rgb;
    return readPngRgb(path, &rgb, width, height);
}

// A data folder linking every generated file but those left out.
std::string dataWithout(const std::string& tag, const std::vector<std::string>& leaveOut) {
    const std::string dir = makeTempDir(tag);
    for (const auto& e : std::filesystem::directory_iterator(dataDir)) {
        const std::string name = e.path().filename().string();
        bool skip = false;
        for (const std::string& l : leaveOut) skip = skip || l == name;
        if (!skip) std::filesystem::create_symlink(e.path(), dir + "/" + name);
    }
    return dir;
}

bool haveFfmpeg() { return fileExists("/usr/bin/ffmpeg") && fileExists("/usr/bin/ffprobe"); }

// A video capture of the whole timeline into out/clip.mp4, in the background
// and past its start-up: its temporary file is there (false when it never
// came).
struct VideoCapture {
    Child child;
    std::string temporary;  // where the video is written until it is whole
};

bool startVideoCapture(const std::string& out, VideoCapture* v) {
    v->child = start(DEMO_CAPTURE_EXE,
                     {"--data", dataDir, "--quiet", "--rate", "30", "-o", out + "/clip.mp4"});
    v->temporary = out + "/.clip.part-" + std::to_string(long(v->child.pid)) + ".mp4";
    return waitForFile(v->temporary);
}

// A video capture interrupted by `count` SIGINTs at once, `after` its start-up:
// how it ended and what it left in its folder. False (why in errors) when it
// did not start, or was still running waitLimitSeconds() after the signals.
struct Interrupted {
    int status = 0;
    std::vector<std::string> left;
    std::string errors;
};

bool interruptVideoCapture(int count, std::chrono::seconds after, Interrupted* r) {
    const std::string out = makeTempDir("cap-int");
    VideoCapture v;
    const bool started = startVideoCapture(out, &v);
    if (started) {
        std::this_thread::sleep_for(after);
        for (int i = 0; i < count; ++i) kill(v.child.pid, SIGINT);
    } else {
        kill(v.child.pid, SIGKILL);
    }
    // finish() kills what is still running when its wait is over.
    const bool ended = finish(&v.child) && started;
    r->status = v.child.status;
    r->left = entries(out);
    r->errors = errorsOf(v.child);
    if (!started) r->errors += "\nthe capture did not start";
    else if (!ended)
        r->errors += "\nstill running " + std::to_string(waitLimitSeconds()) + " s after " +
                     std::to_string(count) + " SIGINT";
    removeTree(out);
    removeTree(v.child.dir);
    return ended;
}

// The first second of the demo as a video into target, from data.
ProcessResult captureOneSecond(const std::string& data, const std::string& target,
                               const std::string& workDir = "") {
    return runProcess(DEMO_CAPTURE_EXE,
                      {"--data", data, "--quiet", "--rate", "5", "--time", "0-1", "-o", target},
                      headless, waitLimitSeconds(), workDir);
}

}  // namespace

TEST(Capture, SigtermStopsAPngCaptureAndLeavesOnlyWholeFrames) {
    if (!haveData()) GTEST_SKIP() << "no generated data";
    const std::string out = makeTempDir("cap-term");
    Child c = start(DEMO_CAPTURE_EXE, {"--data", dataDir, "--quiet", "--rate", "30", "--png", "-o", out});
    ASSERT_TRUE(waitForFile(out + "/frame-000002.png")) << errorsOf(c);
    kill(c.pid, SIGTERM);
    ASSERT_TRUE(finish(&c)) << "still running " << waitLimitSeconds() << " s after SIGTERM";
    ASSERT_TRUE(WIFEXITED(c.status)) << errorsOf(c);
    EXPECT_EQ(WEXITSTATUS(c.status), 143) << errorsOf(c);
    // Far from the 6840 frames of the timeline, and every one of them whole.
    const std::vector<std::string> names = entries(out);
    EXPECT_GE(names.size(), 3u);
    EXPECT_LT(names.size(), 6840u);
    for (const std::string& n : names) {
        EXPECT_EQ(n.rfind("frame-", 0), 0u) << "a stray file: " << n;
        int w = 0, h = 0;
        EXPECT_TRUE(wholePng(out + "/" + n, &w, &h)) << n;
        EXPECT_EQ(w, 640);
        EXPECT_EQ(h, 480);
    }
    removeTree(out);
    removeTree(c.dir);
}

TEST(Capture, SigintStopsAVideoCaptureAndLeavesNoVideo) {
    if (!haveData()) GTEST_SKIP() << "no generated data";
    if (!haveFfmpeg()) GTEST_SKIP() << "no ffmpeg";
    // The video is written under a temporary name from the start.
    Interrupted r;
    ASSERT_TRUE(interruptVideoCapture(1, std::chrono::seconds(2), &r)) << r.errors;
    ASSERT_TRUE(WIFEXITED(r.status)) << r.errors;
    EXPECT_EQ(WEXITSTATUS(r.status), 130) << r.errors;
    EXPECT_TRUE(r.left.empty()) << "left behind: " << r.left[0];
}

TEST(Capture, ASecondSigintEndsAtOnceAndTakesTheUnfinishedVideo) {
    if (!haveData()) GTEST_SKIP() << "no generated data";
    if (!haveFfmpeg()) GTEST_SKIP() << "no ffmpeg";
    Interrupted r;
    ASSERT_TRUE(interruptVideoCapture(2, std::chrono::seconds(1), &r)) << r.errors;
    // The first asks to stop after the frame; the second does not wait.
    if (WIFSIGNALED(r.status)) EXPECT_EQ(WTERMSIG(r.status), SIGINT);
    else EXPECT_EQ(WEXITSTATUS(r.status), 130) << r.errors;
    EXPECT_TRUE(r.left.empty()) << "left behind: " << r.left[0];
}

TEST(Capture, TheNextCaptureRemovesWhatAKilledOneLeftBehind) {
    if (!haveData()) GTEST_SKIP() << "no generated data";
    if (!haveFfmpeg()) GTEST_SKIP() << "no ffmpeg";
    const std::string out = makeTempDir("cap-kill");
    VideoCapture v;
    Child& c = v.child;
    const std::string& temporary = v.temporary;
    ASSERT_TRUE(startVideoCapture(out, &v)) << errorsOf(c);
    kill(c.pid, SIGKILL);
    finish(&c);
    ASSERT_TRUE(fileExists(temporary));
    // A file of a process that still runs (this one) stays, and so do files
    // that only look alike.
    const std::string alive = out + "/.other.part-" + std::to_string(long(getpid())) + ".mp4";
    const std::string alike = out + "/.notes.part-x.mp4";
    std::ofstream(alive) << "x";
    std::ofstream(alike) << "x";
    const ProcessResult r = captureOneSecond(dataDir, out + "/next.mp4");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_FALSE(fileExists(temporary));
    EXPECT_TRUE(fileExists(alive));
    EXPECT_TRUE(fileExists(alike));
    EXPECT_TRUE(fileExists(out + "/next.mp4"));
    removeTree(out);
    removeTree(c.dir);
}

TEST(Capture, OutputsThatCannotBeWrittenSayWhy) {
    if (!haveData()) GTEST_SKIP() << "no generated data";
    if (!haveFfmpeg()) GTEST_SKIP() << "no ffmpeg";
    const std::string dir = makeTempDir("cap-why");
    mkdir((dir + "/v.mp4").c_str(), 0755);
    std::ofstream(dir + "/plain") << "x";
    const struct {
        std::string target;
        std::string message;
    } cases[] = {
        {dir + "/missing/v.mp4", "cannot write " + dir + "/missing/v.mp4 (the folder " + dir +
                                     "/missing does not exist)\n"},
        {dir + "/v.mp4", "cannot write " + dir + "/v.mp4 (there is a folder of that name)\n"},
        {dir + "/plain/v.mp4", "cannot write " + dir + "/plain/v.mp4 (" + dir + "/plain is not a folder)\n"},
        {dir + "/" + std::string(252, 'n') + "x.mp4",
         "cannot write " + dir + "/" + std::string(252, 'n') +
             "x.mp4 (the name is longer than the 255 characters a file name may have)\n"},
    };
    for (const auto& c : cases) {
        const ProcessResult r = captureOneSecond(dataDir, c.target);
        EXPECT_EQ(r.exitCode, 1) << c.target << "\n" << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    // A legal name of 254 characters is written: its temporary name gives way.
    const std::string longest = dir + "/" + std::string(250, 'n') + ".mp4";
    const ProcessResult r = captureOneSecond(dataDir, longest);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(fileExists(longest));
    removeTree(dir);
}

TEST(Bench, SigintStopsTheBenchmark) {
    if (!haveData()) GTEST_SKIP() << "no generated data";
    Child c = start(DEMO_BENCH_EXE, {"--data", dataDir, "--rate", "30"});
    std::this_thread::sleep_for(std::chrono::seconds(3));
    kill(c.pid, SIGINT);
    ASSERT_TRUE(finish(&c)) << "still running " << waitLimitSeconds() << " s after SIGINT";
    ASSERT_TRUE(WIFEXITED(c.status)) << errorsOf(c);
    EXPECT_EQ(WEXITSTATUS(c.status), 130) << errorsOf(c);
    removeTree(c.dir);
}

TEST(Capture, FailedVideoCapturesLeaveNothingUnderTheFinalName) {
    if (!haveData()) GTEST_SKIP() << "no generated data";
    if (!haveFfmpeg()) GTEST_SKIP() << "no ffmpeg";
    const struct {
        const char* what;
        const char* missing;
        const char* message;
    } cases[] = {{"no soundtrack", "5tfina.mp3", "cannot read the soundtrack"},
                 {"a scene missing", "light.dat", "mesh-file not found"}};
    for (const auto& c : cases) {
        const std::string data = dataWithout("cap-fail-data", {c.missing});
        const std::string out = makeTempDir("cap-fail");
        // A fresh name, and one that holds an earlier video.
        for (bool existing : {false, true}) {
            const std::string target = out + (existing ? "/old.mp4" : "/new.mp4");
            if (existing) std::ofstream(target) << "earlier video";
            const ProcessResult r = captureOneSecond(data, target);
            EXPECT_EQ(r.exitCode, 1) << c.what << "\n" << r.err;
            EXPECT_NE(r.err.find(c.message), std::string::npos) << c.what << "\n" << r.err;
            if (existing) {
                std::ifstream in(target);
                std::string text;
                std::getline(in, text);
                EXPECT_EQ(text, "earlier video") << c.what;
            } else {
                EXPECT_FALSE(fileExists(target)) << c.what;
            }
        }
        EXPECT_EQ(entries(out), std::vector<std::string>{"old.mp4"}) << c.what;
        removeTree(out);
        removeTree(data);
    }
}

TEST(Capture, OutputNamesReachFfmpegAsPlainFiles) {
    if (!haveData()) GTEST_SKIP() << "no generated data";
    if (!haveFfmpeg()) GTEST_SKIP() << "no ffmpeg";
    const std::string dir = makeTempDir("cap-names");
    // ffmpeg would take the first for its file: protocol, the second for an option.
    for (const std::string name : {"file:y.mp4", "-x.mp4"}) {
        const ProcessResult r = captureOneSecond(dataDir, name, dir);
        ASSERT_EQ(r.exitCode, 0) << name << "\n" << r.err;
        const ProcessResult probe = runProcess(
            "/usr/bin/ffprobe",
            {"-v", "error", "-show_entries", "format=duration", "-of", "default=nw=1", "./" + name}, {},
            waitLimitSeconds(), dir);
        ASSERT_EQ(probe.exitCode, 0) << name << "\n" << probe.err;
        const size_t d = probe.out.find("duration=");
        ASSERT_NE(d, std::string::npos) << probe.out;
        EXPECT_NEAR(std::stod(probe.out.substr(d + 9)), 1.0, 0.1) << name;
    }
    std::vector<std::string> names = entries(dir);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"-x.mp4", "file:y.mp4"}));
    removeTree(dir);
}

TEST(Capture, SelectionsWithoutFramesAreRefusedBeforeAnythingIsLoaded) {
    // No data folder at all: a refusal must come before the loading would fail.
    const std::vector<std::vector<std::string>> refused = {
        {"--rate", "1", "--frames", "300-400", "--png", "-o", "/tmp"},
        {"--time", "229-235", "-o", "/tmp/never.mp4"},
        {"--at", "10", "--frames", "0-3"},
    };
    for (const auto& args : refused) {
        std::vector<std::string> all = {"--data", "/no-such-data"};
        all.insert(all.end(), args.begin(), args.end());
        const ProcessResult r = runProcess(DEMO_CAPTURE_EXE, all, headless, waitLimitSeconds());
        EXPECT_EQ(r.exitCode, 2) << args[1] << "\n" << r.err;
        EXPECT_EQ(r.err.find("mesh-file"), std::string::npos) << r.err;
    }
    EXPECT_FALSE(fileExists("/tmp/never.mp4"));
    const ProcessResult b =
        runProcess(DEMO_BENCH_EXE, {"--size", "641x480"}, headless, waitLimitSeconds());
    EXPECT_EQ(b.exitCode, 2);
    EXPECT_NE(b.err.find("4:3"), std::string::npos) << b.err;
}

TEST(Capture, AFolderHoldingFramesOfAnotherSizeIsRefused) {
    if (!haveData()) GTEST_SKIP() << "no generated data";
    const std::string out = makeTempDir("cap-mixed");
    const std::vector<std::string> base = {"--data", dataDir, "--quiet", "--rate", "10", "--frames",
                                           "0-1", "--png", "-o", out};
    ProcessResult r = runProcess(DEMO_CAPTURE_EXE, base, headless, waitLimitSeconds());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::vector<std::string> larger = base;
    larger.insert(larger.end(), {"--size", "800x600"});
    r = runProcess(DEMO_CAPTURE_EXE, larger, headless, waitLimitSeconds());
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_NE(r.err.find("already holds frames of another size (frame-000000.png is 640x480"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(entries(out), std::vector<std::string>{"frame-000000.png"});
    int w = 0, h = 0;
    EXPECT_TRUE(wholePng(out + "/frame-000000.png", &w, &h));
    EXPECT_EQ(w, 640);
    // The same size again is fine (a resumed capture).
    r = runProcess(DEMO_CAPTURE_EXE, base, headless, waitLimitSeconds());
    EXPECT_EQ(r.exitCode, 0) << r.err;
    removeTree(out);
}
