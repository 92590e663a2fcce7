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

// A fresh empty folder under the system temp folder; removed by removeTree.
std::string makeTempDir(const std::string& tag);
void removeTree(const std::string& path);
bool copyFile(const std::string& from, const std::string& to);
bool fileExists(const std::string& path);
