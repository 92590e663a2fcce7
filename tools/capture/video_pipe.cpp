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

std::string videoUnavailable() { return ""; }

long videoTimescale(long rateNum) {
    long scale = rateNum > 0 ? rateNum : 1;
    while (scale < 10000) scale *= 2;
    return scale;
}

namespace {

// Starts ffmpeg with `args` (args[0] the program), its standard input the
// read end of a pipe whose write end is returned in the record.
VideoPipe* startFfmpeg(std::vector<std::string> args) {
    int fds[2];
    if (pipe(fds) != 0) return nullptr;
    // A frame or more in flight (64 kB by default), so that neither side waits
    // for the other at every few rows. The kernel may give less; that only costs speed.
    fcntl(fds[1], F_SETPIPE_SZ, 1 << 20);
    signal(SIGPIPE, SIG_IGN);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        return nullptr;
    }
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

std::string seconds(double s) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", s);
    return text;
}

// The colours the file states, in the H.264 stream and in the MP4's own colour
// box alike, so that every player shows what was drawn. The frames are sRGB,
// whose primaries are BT.709's. A lossy video is BT.709 throughout (primaries,
// transfer, matrix), limited range: what players and video sites take an HD
// picture to be, and stated for every size, since without tags players guess
// by the size (BT.601 below HD). A lossless one is the RGB itself, full range,
// with the same primaries and transfer. Pieces are encoded with these words,
// and their join copies the streams and the tags with them.
void addColours(std::vector<std::string>* args, bool rgb) {
    if (!rgb) {
        // Converted here with the matrix stated, not with swscale's BT.601 default.
        args->insert(args->end(), {"-vf", "scale=out_color_matrix=bt709:out_range=tv",
                                   "-pix_fmt", "yuv420p"});
    }
    args->insert(args->end(), {"-color_primaries", "bt709", "-color_trc", "bt709",
                               "-colorspace", rgb ? "rgb" : "bt709",
                               "-color_range", rgb ? "pc" : "tv"});
}

void addTimescale(std::vector<std::string>* args, long rateNum) {
    const std::string scale = std::to_string(videoTimescale(rateNum));
    args->insert(args->end(), {"-video_track_timescale", scale, "-movie_timescale", scale});
}

}  // namespace

VideoPipe* openVideoPipe(const std::string& ffmpeg, const std::string& output,
                         const VideoFormat& f, const std::string& soundtrack, double audioOffset,
                         double duration) {
    char size[32], rate[48];
    std::snprintf(size, sizeof size, "%dx%d", f.width, f.height);
    std::snprintf(rate, sizeof rate, "%ld/%ld", f.rateNum, f.rateDen);
    std::vector<std::string> args = {ffmpeg, "-y", "-loglevel", "error", "-nostdin",
                                     "-f", "rawvideo", "-pix_fmt", "rgb24", "-s", size,
                                     "-framerate", rate, "-i", "-"};
    if (!soundtrack.empty()) {
        args.insert(args.end(), {"-ss", seconds(audioOffset), "-i", soundtrack, "-map", "0:v",
                                 "-map", "1:a", "-c:a", "aac", "-b:a", "192k"});
    }
    if (f.lossless) {
        // The RGB frames themselves, quantiser 0: they decode to the very bytes drawn.
        args.insert(args.end(), {"-c:v", "libx264rgb", "-preset", f.preset, "-qp", "0",
                                 "-pix_fmt", "rgb24"});
    } else {
        args.insert(args.end(), {"-c:v", "libx264", "-preset", f.preset, "-crf", "16"});
    }
    addColours(&args, f.lossless);
    args.insert(args.end(), {"-t", seconds(duration)});
    if (f.exactTimestamps) addTimescale(&args, f.rateNum);
    args.insert(args.end(), {"-movflags", "+faststart", output});
    return startFfmpeg(args);
}

VideoPipe* startVideoJoin(const std::string& ffmpeg, const std::string& list,
                          const std::string& output, long rateNum, const std::string& soundtrack,
                          double audioOffset, double duration) {
    std::vector<std::string> args = {ffmpeg, "-y", "-loglevel", "error", "-nostdin",
                                     "-f", "concat", "-safe", "0", "-i", list,
                                     "-ss", seconds(audioOffset), "-i", soundtrack,
                                     "-map", "0:v", "-map", "1:a", "-c:v", "copy",
                                     "-c:a", "aac", "-b:a", "192k", "-t", seconds(duration)};
    addTimescale(&args, rateNum);
    args.insert(args.end(), {"-movflags", "+faststart", output});
    return startFfmpeg(args);
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
