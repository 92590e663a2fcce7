#include "video_pipe.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

struct VideoPipe {
    pid_t pid;
    int fd;
};

std::string findFfmpeg() {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        std::string candidate = dirs.substr(start, end - start) + "/ffmpeg";
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
        start = end + 1;
    }
    return "";
}

VideoPipe* openVideoPipe(const std::string& ffmpeg, const std::string& output, int width,
                         int height, long rateNum, long rateDen, const std::string& soundtrack,
                         double audioOffset, double duration, const std::string& preset) {
    int fds[2];
    if (pipe(fds) != 0) return nullptr;
    // A frame or more in flight (64 kB by default), so that neither side waits
    // for the other at every few rows. The kernel may give less; that only costs speed.
    fcntl(fds[1], F_SETPIPE_SZ, 1 << 20);
    char size[32], rate[48], offset[32], length[32];
    std::snprintf(size, sizeof size, "%dx%d", width, height);
    std::snprintf(rate, sizeof rate, "%ld/%ld", rateNum, rateDen);
    std::snprintf(offset, sizeof offset, "%.6f", audioOffset);
    std::snprintf(length, sizeof length, "%.6f", duration);
    std::vector<std::string> args = {ffmpeg, "-y", "-loglevel", "error", "-nostdin",
                                     "-f", "rawvideo", "-pix_fmt", "rgb24", "-s", size,
                                     "-framerate", rate, "-i", "-"};
    const bool withAudio = !soundtrack.empty();
    if (withAudio) {
        args.insert(args.end(), {"-ss", offset, "-i", soundtrack, "-map", "0:v", "-map", "1:a",
                                 "-c:a", "aac", "-b:a", "192k"});
    }
    args.insert(args.end(), {"-c:v", "libx264", "-preset", preset, "-crf", "16",
                             "-pix_fmt", "yuv420p", "-t", length, "-movflags", "+faststart",
                             output});
    signal(SIGPIPE, SIG_IGN);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid < 0) return nullptr;
    if (pid == 0) {
        // A process group of its own: Ctrl-C reaches the capture, which ends
        // ffmpeg itself, instead of ffmpeg finishing a file of its own accord.
        setpgid(0, 0);
        // Nor may it outlive a capture that was killed outright: it would
        // finish (and, for +faststart, write anew) a file nobody removes.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) _exit(127);
        dup2(fds[0], 0);
        close(fds[0]);
        close(fds[1]);
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(fds[0]);
    return new VideoPipe{pid, fds[1]};
}

bool writeVideoFrame(VideoPipe* p, const unsigned char* rgb, size_t bytes) {
    while (bytes > 0) {
        const ssize_t n = write(p->fd, rgb, bytes);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        rgb += n;
        bytes -= size_t(n);
    }
    return true;
}

bool closeVideoPipe(VideoPipe* p) {
    close(p->fd);
    int status = 0;
    waitpid(p->pid, &status, 0);
    delete p;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void abortVideoPipe(VideoPipe* p) {
    kill(p->pid, SIGKILL);
    close(p->fd);
    int status = 0;
    while (waitpid(p->pid, &status, 0) < 0 && errno == EINTR) {
    }
    delete p;
}
