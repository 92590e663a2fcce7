// demo-capture: records the demo offscreen, frame-exactly, as an MP4 with its
// soundtrack, as numbered PNG frames, or as single frames at chosen times.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "capture_options.h"
#include "capture_range.h"
#include "frame_folder.h"
#include "frame_writer.h"
#include "fx/frame_profile.h"
#include "image/downsample.h"
#include "drawable_limit.h"
#include "shell/headless_run.h"
#include "output_file.h"
#include "platform/audio.h"
#include "platform/data_file.h"
#include "platform/data_path.h"
#include "options/standard_output.h"
#include "platform/stop_signal.h"
#include "png_write.h"
#include "raster_skip.h"
#include "state/gentle_mode.h"
#include "video_pipe.h"

namespace {

struct Capture {
    CaptureOptions options;
    std::vector<long> atFrames;
    VideoPipe* video = nullptr;
    std::string videoTemporary;  // the MP4 until it is complete
    FrameWriter* writer = nullptr;
    long lastWanted = 0;
    long written = 0;
    long toWrite = 0;
    bool failed = false;
    double started = 0;  // seconds, monotonic
    double lastProgress = -1;
    std::vector<unsigned char> large;  // the frame as drawn with --supersample
};

void showProgress(Capture* c, long frame, bool last) {
    if (c->options.quiet) return;
    const double elapsed = profileClockSeconds() - c->started;
    if (!last && elapsed - c->lastProgress < 0.25) return;
    c->lastProgress = elapsed;
    const long done = frame + 1;
    const long total = c->lastWanted + 1;
    const double fps = elapsed > 0 ? double(done) / elapsed : 0;
    const double left = fps > 0 ? double(total - done) / fps : 0;
    const int width = 30;
    const int filled = int(double(width) * double(done) / double(total));
    char bar[width + 1];
    for (int i = 0; i < width; ++i) bar[i] = i < filled ? '#' : '.';
    bar[width] = '\0';
    std::fprintf(stderr, "\r[%s] frame %ld/%ld  %.1f fps  %d:%02d left  ", bar, done, total, fps,
                 int(left) / 60, int(left) % 60);
    if (last) std::fputc('\n', stderr);
    std::fflush(stderr);
}

bool wanted(const Capture& c, long frame, std::string* pngName) {
    if (!c.atFrames.empty()) {
        for (size_t i = 0; i < c.atFrames.size(); ++i)
            if (c.atFrames[i] == frame) {
                *pngName = "at-" + c.options.atNames[i] + ".png";
                return true;
            }
        return false;
    }
    if (frame < c.options.firstFrame || frame >= c.options.endFrame) return false;
    *pngName = frameFileName(frame);
    return true;
}

bool onFrame(long frame, void* user) {
    Capture* c = static_cast<Capture*>(user);
    std::string name;
    if (wanted(*c, frame, &name)) {
        const CaptureOptions& o = c->options;
        const int width = o.offscreen.width, height = o.offscreen.height;
        unsigned char* pixels = takeFrameBuffer(c->writer);
        if (o.supersample > 1) {
            readFrameRgb(width * o.supersample, height * o.supersample, c->large.data());
            downsampleRgb(c->large.data(), width, height, o.supersample, o.linearFilter, pixels);
        } else {
            readFrameRgb(width, height, pixels);
        }
        if (!submitFrame(c->writer, pixels, c->video ? "" : o.output + "/" + name)) {
            c->failed = true;
            return false;
        }
        ++c->written;
    }
    showProgress(c, frame, frame >= c->lastWanted);
    std::string next;
    rasterizeFrames(wanted(*c, frame + 1, &next));
    return frame < c->lastWanted;
}

bool prepareFolder(const std::string& dir) {
    if (mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST) return false;
    struct stat st;
    return stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && access(dir.c_str(), W_OK) == 0;
}

// Refuses a folder holding frames of another size (see frame_folder.h).
bool framesFit(const CaptureOptions& o) {
    std::string other;
    int w = 0, h = 0;
    const int width = o.offscreen.width, height = o.offscreen.height;
    if (folderFramesMatch(o.output, width, height, &other, &w, &h)) return true;
    std::fprintf(stderr,
                 "demo-capture: %s already holds frames of another size (%s is %dx%d, these "
                 "would be %dx%d); choose an empty folder or remove them\n",
                 o.output.c_str(), other.c_str(), w, h, width, height);
    return false;
}

// The soundtrack, checked whole: a regular file the player would take, decoding
// at least to the end of the frames chosen. Its path, or empty after saying why.
std::string checkedSoundtrack(const CaptureOptions& o) {
    if (!o.offscreen.dataDir.empty()) setDataDirectory(o.offscreen.dataDir.c_str());
    char track[PATH_MAX];
    resolveDataPath("data\\5tfina.mp3", track, sizeof track);
    // ffmpeg would wait forever on a named pipe: only a regular file will do.
    const char* kind = nullptr;
    const DataFileStatus trackStatus = checkRegularFile(track, &kind);
    if (trackStatus != dataFileOk) {
        printDataFileProblem("data\\5tfina.mp3", track, trackStatus, kind);
        std::fprintf(stderr, "demo-capture: cannot read the soundtrack %s\n", track);
        return "";
    }
    // The soundtrack the player would refuse is refused here too, and
    // with its words: ffmpeg would take a WAV or an Ogg file all the same.
    if (!audioCheckStreamFile(track)) {
        std::fprintf(stderr, "demo-capture: cannot use the soundtrack %s\n", track);
        return "";
    }
    // Read to its end now, not found damaged by ffmpeg after the last frame:
    // the music must last as long as the video.
    long trackRate = 0;
    int trackChannels = 0;
    const long long trackSamples = audioDecodedLength(track, &trackRate, &trackChannels);
    const double trackSeconds =
        trackSamples > 0 && trackRate > 0 ? double(trackSamples) / double(trackRate) : 0;
    const double videoEnd = frameSeconds(o.offscreen.rate, o.endFrame);
    if (trackSeconds < videoEnd) {
        std::fprintf(stderr,
                     "demo-capture: the soundtrack %s decodes for %.2f s only (damaged or cut "
                     "short), the video runs to %.2f s\n",
                     track, trackSeconds, videoEnd);
        return "";
    }
    return track;
}

std::string findFfmpegOrSay() {
    const std::string unavailable = videoUnavailable();
    if (!unavailable.empty()) {
        std::fprintf(stderr, "demo-capture: %s\n", unavailable.c_str());
        return "";
    }
    const std::string ffmpeg = findFfmpeg();
    if (ffmpeg.empty())
        std::fprintf(stderr,
                     "demo-capture: ffmpeg was not found on PATH (install the package "
                     "ffmpeg, or use --png)\n");
    return ffmpeg;
}

// The temporary file the video is written to until it is complete; empty
// after saying why.
std::string startTemporary(const CaptureOptions& o) {
    std::string reason;
    const std::string temporary = createTemporaryBeside(o.output, &reason);
    if (temporary.empty())
        std::fprintf(stderr, "demo-capture: cannot write %s (%s)\n", o.output.c_str(),
                     reason.c_str());
    // A second Ctrl-C ends the process at once: it takes this file along.
    else
        setStopCleanupFile(temporary.c_str());
    return temporary;
}

// The video: the soundtrack checked whole first (it must decode to the
// video's end), then ffmpeg started on a temporary file beside the output.
// False after saying why.
bool startVideo(Capture* c) {
    const CaptureOptions& o = c->options;
    const std::string ffmpeg = findFfmpegOrSay();
    if (ffmpeg.empty()) return false;
    std::string track;
    if (!o.noAudio) {
        track = checkedSoundtrack(o);
        if (track.empty()) return false;
    }
    c->videoTemporary = startTemporary(o);
    if (c->videoTemporary.empty()) return false;
    const FrameRate& rate = o.offscreen.rate;
    VideoFormat format;
    format.width = o.offscreen.width;
    format.height = o.offscreen.height;
    format.rateNum = rate.num;
    format.rateDen = rate.den;
    format.preset = o.preset;
    format.lossless = o.lossless;
    format.exactTimestamps = o.noAudio;
    const double start = frameSeconds(rate, o.firstFrame);
    const double duration = frameSeconds(rate, o.endFrame - o.firstFrame);
    c->video = openVideoPipe(ffmpeg, ffmpegFileArgument(c->videoTemporary), format,
                             track.empty() ? "" : ffmpegFileArgument(track), start, duration);
    if (!c->video) {
        std::fprintf(stderr, "demo-capture: cannot start %s\n", ffmpeg.c_str());
        discardTemporary(c->videoTemporary);
        return false;
    }
    return true;
}

// --join: the pieces as they are, the soundtrack of the frames chosen beside
// them. Exit code 0, or 1 after saying why; nothing is left under the output's
// name unless the join is complete.
int joinPieces(const CaptureOptions& o) {
    const char* kind = nullptr;
    if (checkRegularFile(o.joinList.c_str(), &kind) != dataFileOk) {
        std::fprintf(stderr, "demo-capture: cannot read the list of pieces %s\n", o.joinList.c_str());
        return 1;
    }
    const std::string ffmpeg = findFfmpegOrSay();
    if (ffmpeg.empty()) return 1;
    const std::string track = checkedSoundtrack(o);
    if (track.empty()) return 1;
    const std::string temporary = startTemporary(o);
    if (temporary.empty()) return 1;
    const FrameRate& rate = o.offscreen.rate;
    VideoPipe* join = startVideoJoin(ffmpeg, ffmpegFileArgument(o.joinList),
                                     ffmpegFileArgument(temporary), rate.num,
                                     ffmpegFileArgument(track), frameSeconds(rate, o.firstFrame),
                                     frameSeconds(rate, o.endFrame - o.firstFrame));
    bool ok = join && closeVideoPipe(join);
    if (!ok) std::fprintf(stderr, "demo-capture: ffmpeg failed joining %s\n", o.joinList.c_str());
    ok = ok && commitTemporary(temporary, o.output);
    setStopCleanupFile(nullptr);
    if (!ok) {
        discardTemporary(temporary);
        return 1;
    }
    if (!o.quiet) std::fprintf(stderr, "demo-capture: joined into %s\n", o.output.c_str());
    return 0;
}

// --print-frames: what a recording in pieces needs to know of these options.
void printFrames(const CaptureOptions& o) {
    std::printf("frames %ld-%ld rate %ld/%ld size %dx%d\n", o.firstFrame, o.endFrame,
                o.offscreen.rate.num, o.offscreen.rate.den, o.offscreen.width, o.offscreen.height);
}

// Runs the frames; the video is finished or thrown away. The exit code of
// the run: 0, or the signal's past 128.
int recordFrames(Capture* c, bool* ok) {
    const CaptureOptions& o = c->options;
    HeadlessRun run;
    run.width = o.offscreen.width * o.supersample;
    run.height = o.offscreen.height * o.supersample;
    run.msaaSamples = o.offscreen.msaa;
    if (o.supersample > 1)
        c->large.resize(size_t(run.width) * size_t(run.height) * 3);
    run.rate = o.offscreen.rate;
    run.dataDir = o.offscreen.dataDir;
    run.onFrame = onFrame;
    run.user = c;
    run.warmUp = o.warmUp;
    // Before loading: gentle play tempers some pictures as they load.
    gentleMode.on = o.gentle;
    c->started = profileClockSeconds();
    c->writer = startFrameWriter(c->video, o.offscreen.width, o.offscreen.height, 4);
    long drawn = 0;
    const int rc = runHeadless(run, &drawn);
    // Frames already queued are written out (whole PNG frames) before a failed
    // or stopped video is thrown away.
    const bool written = finishFrameWriter(c->writer);
    *ok = rc == 0 && !c->failed && written;
    if (c->video && !*ok) {
        abortVideoPipe(c->video);
    } else if (c->video) {
        const bool videoOk = closeVideoPipe(c->video);
        if (!videoOk) std::fprintf(stderr, "demo-capture: ffmpeg failed writing %s\n", o.output.c_str());
        *ok = videoOk && commitTemporary(c->videoTemporary, o.output);
        setStopCleanupFile(nullptr);
    }
    if (!*ok) discardTemporary(c->videoTemporary);
    return rc;
}

}  // namespace

int main(int argc, char** argv) {
    installStopSignals();
    Capture c;
    const int parsed = parseCaptureOptions(argc, argv, &c.options);
    if (parsed == 3) return showHelp(captureProgram());
    if (parsed != 0) return parsed;
    const CaptureOptions& o = c.options;
    if (o.printFrames) {
        printFrames(o);
        return finishStandardOutput("demo-capture", 0);
    }
    if (!o.joinList.empty()) return joinPieces(o);
    // Before the output exists: a picture the GL cannot draw leaves nothing behind.
    if (const int refused = checkDrawnSize(captureProgram(), o.offscreen, o.supersample,
                                           "--supersample " + std::to_string(o.supersample), true))
        return refused;

    for (double t : o.atTimes)
        c.atFrames.push_back(nearestFrame(o.offscreen.rate, t));
    if (!c.atFrames.empty()) {
        for (long f : c.atFrames) c.lastWanted = f > c.lastWanted ? f : c.lastWanted;
    } else {
        c.lastWanted = o.endFrame - 1;
    }

    if (o.png) {
        if (!prepareFolder(o.output)) {
            std::fprintf(stderr, "demo-capture: cannot write into the folder %s\n", o.output.c_str());
            return 1;
        }
        if (!framesFit(o)) return 1;
        removeStaleTemporaries(o.output);
    } else if (!startVideo(&c)) {
        return 1;
    }

    bool ok = false;
    const int rc = recordFrames(&c, &ok);
    if (rc > 128) {
        std::fprintf(stderr, "\ndemo-capture: stopped by signal %d after %ld frame%s%s\n",
                     rc - 128, c.written, c.written == 1 ? "" : "s",
                     o.png ? "" : "; no video written");
        return rc;
    }
    if (!ok) return 1;
    if (!o.quiet)
        std::fprintf(stderr, "demo-capture: %ld frame%s written to %s\n", c.written,
                     c.written == 1 ? "" : "s", o.output.c_str());
    return 0;
}
