#include "failure_support.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

#include "support/png_read.h"

namespace fs = std::filesystem;

namespace failtest {

const std::string generatedData = DEMO_BUILD_DIR "/data";

bool haveData() { return fileExists(generatedData + "/light.dat"); }

std::string installCopy(const std::string& tag, const std::vector<std::string>& leaveOut) {
    return installProgramCopy(DEMO_WINDOWED_EXE, tag, leaveOut);
}

bool replaceDataFile(const std::string& dir, const std::string& name, const std::string& bytes) {
    const std::string path = dir + "/data/" + name;
    std::error_code ec;
    fs::remove(path, ec);
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    return bool(out);
}

bool replaceWithFolder(const std::string& dir, const std::string& name) {
    const std::string path = dir + "/data/" + name;
    std::error_code ec;
    fs::remove(path, ec);
    return fs::create_directory(path, ec);
}

std::string generatedBytes(const std::string& name) {
    std::ifstream in(generatedData + "/" + name, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

ProcessResult runWindowed(const std::string& dir, const std::vector<std::string>& env,
                          int timeoutSeconds) {
    return runProcess(dir + "/demo-windowed", {}, env, timeoutSeconds, "/");
}

ProcessResult runCapture(const std::string& dir, const std::vector<std::string>& args,
                         int timeoutSeconds) {
    std::vector<std::string> all = {"--data", dir + "/data", "--png", "-o", dir + "/frames",
                                    "--quiet"};
    all.insert(all.end(), args.begin(), args.end());
    return runProcess(DEMO_CAPTURE_EXE, all, headlessEnv(), timeoutSeconds, "/");
}

RunningDemo startWindowed(const std::string& dir, const std::vector<std::string>& env) {
    RunningDemo demo;
    demo.errPath = dir + "/stderr";
    const std::string program = dir + "/demo-windowed";
    demo.pid = fork();
    if (demo.pid == 0) {
        const int err = open(demo.errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        dup2(err, 2);
        for (const std::string& e : env) {
            const size_t eq = e.find('=');
            if (eq == std::string::npos) unsetenv(e.c_str());
            else setenv(e.substr(0, eq).c_str(), e.substr(eq + 1).c_str(), 1);
        }
        if (chdir("/") != 0) _exit(126);
        execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    return demo;
}

namespace {
bool reaped(RunningDemo* demo) {
    if (!demo->ended && demo->pid > 0 && waitpid(demo->pid, &demo->status, WNOHANG) == demo->pid)
        demo->ended = true;
    return demo->ended || demo->pid <= 0;
}

// SDL names its playback thread "SDLAudioP<n>".
bool hasAudioThread(pid_t pid) {
    const std::string tasks = "/proc/" + std::to_string(long(pid)) + "/task";
    DIR* dir = opendir(tasks.c_str());
    if (!dir) return false;
    bool found = false;
    while (const dirent* e = readdir(dir)) {
        if (e->d_name[0] == '.') continue;
        std::ifstream comm(tasks + "/" + e->d_name + "/comm");
        std::string name;
        std::getline(comm, name);
        found = found || name.rfind("SDLAudioP", 0) == 0;
    }
    closedir(dir);
    return found;
}
}  // namespace

bool waitForSoundtrack(RunningDemo* demo) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(waitLimitSeconds());
    while (std::chrono::steady_clock::now() < until) {
        if (reaped(demo)) return false;
        if (hasAudioThread(demo->pid)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

bool waitForEnd(RunningDemo* demo, double seconds) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!reaped(demo) && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return reaped(demo);
}

std::string stopAndCollect(RunningDemo* demo) {
    if (!reaped(demo)) {
        kill(demo->pid, SIGKILL);
        waitpid(demo->pid, &demo->status, 0);
        demo->ended = true;
    }
    std::ifstream in(demo->errPath);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void expectExitOne(const ProcessResult& r, const std::string& what) {
    EXPECT_FALSE(r.timedOut) << what;
    EXPECT_EQ(r.signal, 0) << what << "\n" << r.err;
    EXPECT_EQ(r.exitCode, 1) << what << "\n" << r.err;
}

ProcessResult expectStartUpRefused(const std::string& dir, const std::string& says,
                                   const std::string& neverSays) {
    const ProcessResult r = runWindowed(dir, headlessEnv());
    expectExitOne(r, says);
    EXPECT_NE(r.err.find(says), std::string::npos) << r.err;
    if (!neverSays.empty()) {
        EXPECT_EQ(r.err.find(neverSays), std::string::npos) << r.err;
    }
    return r;
}

int countOf(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

size_t findLine(const std::string& text, const std::string& prefix, const std::string& part) {
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        if (line.compare(0, prefix.size(), prefix) == 0 && line.find(part) != std::string::npos)
            return start;
        start = end + 1;
    }
    return std::string::npos;
}

namespace {
void put16(std::string* s, unsigned v) {
    s->push_back(char(v & 255));
    s->push_back(char(v >> 8 & 255));
}
void put32(std::string* s, uint32_t v) {
    put16(s, v & 0xFFFF);
    put16(s, v >> 16);
}
}  // namespace

std::string makeBmp(int width, int height) {
    const int rows = height < 0 ? -height : height;
    const int stride = (width * 3 + 3) & ~3;
    std::string s = "BM";
    put32(&s, uint32_t(54 + stride * rows));
    put32(&s, 0);
    put32(&s, 54);
    put32(&s, 40);
    put32(&s, uint32_t(width));
    put32(&s, uint32_t(height));
    put16(&s, 1);
    put16(&s, 24);
    for (int i = 0; i < 6; ++i) put32(&s, 0);
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < width; ++x) {
            s.push_back(char(x * 255 / (width > 1 ? width - 1 : 1)));
            s.push_back(char(y * 255 / (rows > 1 ? rows - 1 : 1)));
            s.push_back(char((x + y) & 255));
        }
        s.append(size_t(stride - width * 3), '\0');
    }
    return s;
}

bool readPng(const std::string& path, int* width, int* height, std::vector<unsigned char>* rgb) {
    return readPngRgb(path, rgb, width, height);
}

int distinctColours(const std::vector<unsigned char>& rgb, int limit) {
    std::set<uint32_t> seen;
    for (size_t i = 0; i + 2 < rgb.size() && int(seen.size()) < limit; i += 3)
        seen.insert(uint32_t(rgb[i]) << 16 | uint32_t(rgb[i + 1]) << 8 | rgb[i + 2]);
    return int(seen.size());
}

}  // namespace failtest
