// mode-check: runs a program and watches the display mode while it runs, for
// the fullscreen test in a Wine virtual desktop (which, unlike a plain X
// server, offers 640x480).
//
//   mode-check REPORT [--close-after MS] PROGRAM [ARGS...]
//
// With --close-after, the window titled ".quellTarn" is sent a close
// request once the display has been in another mode than at the start for
// that long. REPORT gets one line: "before WxH during WxH after WxH exit N",
// during being the mode seen longest while the program ran.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

namespace {
std::string currentMode() {
    DEVMODEA m = {};
    m.dmSize = sizeof m;
    if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &m)) return "?";
    return std::to_string(m.dmPelsWidth) + "x" + std::to_string(m.dmPelsHeight);
}
}  // namespace

int main(int argc, char** argv) {
    int at = 2;
    long closeAfterMs = -1;
    if (argc > 3 && !std::strcmp(argv[2], "--close-after")) {
        closeAfterMs = std::atol(argv[3]);
        at = 4;
    }
    if (argc <= at) {
        std::fprintf(stderr, "usage: mode-check REPORT [--close-after MS] PROGRAM [ARGS...]\n");
        return 2;
    }
    std::string command;
    for (int i = at; i < argc; ++i) command += std::string(i > at ? " \"" : "\"") + argv[i] + "\"";
    const std::string before = currentMode();
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        std::fprintf(stderr, "mode-check: cannot start %s\n", command.c_str());
        return 1;
    }
    std::map<std::string, int> seen;
    int otherTicks = 0;
    bool closeSent = false;
    while (WaitForSingleObject(pi.hProcess, 50) == WAIT_TIMEOUT) {
        const std::string now = currentMode();
        ++seen[now];
        otherTicks = now != before ? otherTicks + 1 : 0;
        if (closeAfterMs >= 0 && !closeSent && otherTicks * 50 >= closeAfterMs) {
            if (HWND w = FindWindowA(nullptr, ".quellTarn")) {
                PostMessageA(w, WM_CLOSE, 0, 0);
                closeSent = true;
            }
        }
    }
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    std::string during = "none";
    int most = 0;
    for (const auto& [mode, ticks] : seen)
        if (ticks > most) most = ticks, during = mode;
    FILE* report = std::fopen(argv[1], "w");
    if (!report) return 1;
    std::fprintf(report, "before %s during %s after %s exit %lu\n", before.c_str(), during.c_str(),
                 currentMode().c_str(), (unsigned long)code);
    std::fclose(report);
    return 0;
}
