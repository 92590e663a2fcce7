#include "support/unprivileged.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <string>

#include "support/process.h"

bool rerunUnprivileged() {
    if (geteuid() != 0) return false;
    const char* setpriv = "/usr/bin/setpriv";
    if (!fileExists(setpriv)) {
        ADD_FAILURE() << "running as root without " << setpriv << " to drop privileges";
        return true;
    }
    char self[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) {
        ADD_FAILURE() << "cannot find the test program";
        return true;
    }
    self[n] = '\0';
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    const std::string filter =
        std::string("--gtest_filter=") + test->test_suite_name() + "." + test->name();
    // nobody's own folder does not exist: HOME and the working folder point
    // at /tmp, which every user may write into.
    const ProcessResult r = runProcess(
        setpriv,
        {"--reuid=nobody", "--regid=nogroup", "--clear-groups", "--", self, filter},
        {"HOME=/tmp"}, 300, "/tmp");
    EXPECT_EQ(r.exitCode, 0) << "as nobody:\n" << r.out << r.err;
    EXPECT_EQ(r.out.find("[  SKIPPED ]"), std::string::npos) << "skipped as nobody:\n" << r.out;
    return true;
}
