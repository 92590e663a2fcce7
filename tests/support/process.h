#pragma once
#include <string>
#include <vector>

// Runs a program as a child process with extra environment entries
// ("NAME=value"; a bare "NAME" removes it), stdout and stderr captured, killed
// after timeoutSeconds.
struct ProcessResult {
    int exitCode = -1;    // -1 when killed by a signal or the timeout
    int signal = 0;       // the signal that ended it, if any
    bool timedOut = false;
    std::string out;
    std::string err;
};

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::vector<std::string>& env, int timeoutSeconds,
                         const std::string& workDir = "");

// How long a test waits for a child process to end, a file to appear or a
// server to start before it calls that a hang: what a sanitized build on a
// busy machine can need. Waits end as soon as their condition holds, so this
// costs nothing when all is well. DEMO_TEST_WAIT (seconds) overrides it.
int waitLimitSeconds();

// A fresh empty folder under the system temp folder; removed by removeTree.
std::string makeTempDir(const std::string& tag);
void removeTree(const std::string& path);
bool copyFile(const std::string& from, const std::string& to);
bool fileExists(const std::string& path);
// The whole file's bytes; empty when it cannot be read.
std::string slurp(const std::string& path);
