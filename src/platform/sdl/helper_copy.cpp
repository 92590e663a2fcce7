// The copy is a fork: it starts with the process's memory as it stands, at
// the same addresses, and only its own thread (no GL driver threads, no
// sound threads), so its work must call no library that keeps its own
// threads or connections.
#include "platform/helper_copy.h"

#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <initializer_list>

namespace {

int toParent = -1;  // in the copy: the pipe's end it writes

// A megabyte in the pipe lets the copy run ahead of a process that reads it
// between frames.
enum : int { pipeBytes = 1 << 20 };

// Everything the copy inherited but its pipe is closed; it takes no signal
// meant for the process (its own process group; a signal's default action),
// runs only on idle processor time and dies with the process.
void becomeHelper(int pipeEnd, pid_t parent) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(0);
    setpgid(0, 0);
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE}) signal(sig, SIG_DFL);
    const int nothing = open("/dev/null", O_RDWR);
    for (int fd = 0; fd < 3 && nothing >= 0; ++fd) dup2(nothing, fd);
    if (dup2(pipeEnd, 3) < 0) _exit(0);
    if (close_range(4, ~0u, 0) != 0)
        for (int fd = 4; fd < 4096; ++fd) close(fd);
    toParent = 3;
    struct sched_param idle = {};
    sched_setscheduler(0, SCHED_IDLE, &idle);
    setpriority(PRIO_PROCESS, 0, 19);
}

}  // namespace

bool startHelperCopy(HelperCopy* helper, void (*work)(void* user), void* user) {
    *helper = HelperCopy{};
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) return false;
    fcntl(ends[1], F_SETPIPE_SZ, pipeBytes);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        becomeHelper(ends[1], parent);
        work(user);
        _exit(0);
    }
    close(ends[1]);
    if (pid < 0) {
        close(ends[0]);
        return false;
    }
    fcntl(ends[0], F_SETFL, O_NONBLOCK);
    helper->pid = pid;
    helper->from = ends[0];
    return true;
}

bool writeToParent(const void* bytes, size_t size) {
    const char* at = static_cast<const char*>(bytes);
    while (size > 0) {
        const ssize_t n = write(toParent, at, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        at += n;
        size -= size_t(n);
    }
    return true;
}

long readFromHelper(HelperCopy* helper, void* to, size_t capacity, unsigned waitMs) {
    if (helper->from < 0) return -1;
    for (;;) {
        const ssize_t n = read(helper->from, to, capacity);
        if (n > 0) return long(n);
        if (n == 0) return -1;
        if (errno == EINTR) continue;
        if (errno != EAGAIN || waitMs == 0) return errno == EAGAIN ? 0 : -1;
        struct pollfd ready = {helper->from, POLLIN, 0};
        if (poll(&ready, 1, int(waitMs)) == 0) return 0;
        waitMs = 0;
    }
}

void endHelperCopy(HelperCopy* helper) {
    if (helper->from >= 0) close(helper->from);
    if (helper->pid > 0) {
        kill(pid_t(helper->pid), SIGKILL);
        while (waitpid(pid_t(helper->pid), nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    *helper = HelperCopy{};
}
