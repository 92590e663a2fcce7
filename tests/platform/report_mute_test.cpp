// Muted reports: the silent rehearsal load prints, shows and tells nothing,
// and everything is back to normal once unmuted.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/report_error.h"

namespace {
int observed = 0;
int boxes = 0;
void observe(const char*) { ++observed; }
void box(const char*) { ++boxes; }
}  // namespace

TEST(ReportError, MutedReportsAndStderrGoNowhereUntilUnmuted) {
    char path[] = "/tmp/report-mute-XXXXXX";
    const int file = mkstemp(path);
    ASSERT_GE(file, 0);
    std::fflush(stderr);
    const int saved = dup(2);
    dup2(file, 2);
    setErrorObserver(observe);
    setErrorBox(box);
    observed = boxes = 0;

    muteReports(true);
    muteReports(true);  // a second mute changes nothing
    reportError("during the rehearsal");
    std::fprintf(stderr, "cannot load picture: rehearsal\n");
    muteReports(false);
    reportError("after it");
    std::fprintf(stderr, "a plain line\n");
    muteReports(false);
    std::fprintf(stderr, "still printed\n");
    std::fflush(stderr);

    setErrorObserver(nullptr);
    setErrorBox(nullptr);
    dup2(saved, 2);
    close(saved);
    close(file);
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    unlink(path);
    EXPECT_EQ(text.str(), "Error: after it\na plain line\nstill printed\n");
    EXPECT_EQ(observed, 1);
    EXPECT_EQ(boxes, 1);
}
