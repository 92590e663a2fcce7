// mode-check: runs a program and watches the display mode while it runs, for
// the fullscreen test in a Wine virtual desktop (which, unlike a plain X
// server, offers 640x480).
//
//   mode-check REPORT [--close-after MS] [--switch-away] PROGRAM [ARGS...]
//
// With --close-after, the window titled ".quellTarn" is sent a close
// request once the display has been in another mode than at the start for
// that long. With --switch-away, a window of mode-check's own takes the
// focus first (as Alt-Tab does), and the close request waits until the mode
// has been the start's again for that long while the program runs on.
// REPORT gets one line: "before WxH during WxH after WxH exit N away WxH",
// during being the mode seen longest while the program ran, away the mode
// while the other window had the focus ("-" without --switch-away).
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
    bool switchAway = false;
    if (argc > 3 && !std::strcmp(argv[2], "--close-after")) {
        closeAfterMs = std::atol(argv[3]);
        at = 4;
    }
    if (argc > at && !std::strcmp(argv[at], "--switch-away")) {
        switchAway = true;
        ++at;
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
    int otherTicks = 0, awayTicks = 0;
    bool closeSent = false;
    HWND away = nullptr;
    std::string awayMode = "-";
    while (WaitForSingleObject(pi.hProcess, 50) == WAIT_TIMEOUT) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        const std::string now = currentMode();
        ++seen[now];
        otherTicks = now != before ? otherTicks + 1 : 0;
        if (switchAway && !away && closeAfterMs >= 0 && otherTicks * 50 >= closeAfterMs) {
            away = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "mode-check", WS_POPUP | WS_VISIBLE, 0, 0,
                                   200, 100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
            SetForegroundWindow(away);
            SetActiveWindow(away);
            otherTicks = 0;
            continue;
        }
        if (away) {
            awayTicks = now == before ? awayTicks + 1 : 0;
            awayMode = now;
            if (!closeSent && awayTicks * 50 >= closeAfterMs) {
                if (HWND w = FindWindowA(nullptr, ".quellTarn")) {
                    PostMessageA(w, WM_CLOSE, 0, 0);
                    closeSent = true;
                }
            }
            continue;
        }
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
    std::fprintf(report, "before %s during %s after %s exit %lu away %s\n", before.c_str(),
                 during.c_str(), currentMode().c_str(), (unsigned long)code, awayMode.c_str());
    std::fclose(report);
    return 0;
}
