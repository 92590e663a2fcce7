#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "platform/data_path.h"
#include "platform/report_error.h"
#include "support/error_capture.h"

namespace {
std::string resolve(const char* name) {
    char out[PATH_MAX];
    EXPECT_EQ(resolveDataPath(name, out, sizeof out), 1) << name;
    return out;
}
}  // namespace

TEST(DataPath, LiteralNamesMapIntoTheDataFolder) {
    setDataDirectory("/opt/quelltarn/data/");
    EXPECT_STREQ(dataDirectory(), "/opt/quelltarn/data");
    EXPECT_EQ(resolve("data\\flare.cfg"), "/opt/quelltarn/data/flare.cfg");
    EXPECT_EQ(resolve("data/5tfina.mp3"), "/opt/quelltarn/data/5tfina.mp3");
    EXPECT_EQ(resolve("other\\x.jpg"), "/opt/quelltarn/other/x.jpg");
    EXPECT_EQ(resolve("/abs/file.dat"), "/abs/file.dat");
}

TEST(DataPath, NamesThatLeaveTheDataFolderAreNotInside) {
    for (const char* inside : {"data\\lens1.jpg", "data/lens1.jpg", "data\\sub\\..\\lens1.jpg",
                               "data\\.\\lens1.jpg", "data\\a\\b\\..\\c.jpg"})
        EXPECT_TRUE(dataNameStaysInside(inside)) << inside;
    for (const char* outside :
         {"/etc/shadow", "\\etc\\shadow", "data\\..\\..\\outside\\secret-lens.jpg",
          "data/../data/lens1.jpg", "data\\a\\..\\..\\x.jpg", "lens1.jpg", "data\\", "data",
          "data\\sub\\..", "database\\x.jpg", "C:\\data\\x.jpg", ""})
        EXPECT_FALSE(dataNameStaysInside(outside)) << outside;
}

TEST(DataPath, NamesWindowsOpensAsSomethingElseAreRefused) {
    // The same on every system: a data set must play everywhere.
    for (const char* name : {"C:\\x.jpg", "\\\\host\\share\\x.jpg", "data\\lens.jpg:x",
                             "data\\CON", "data\\nul.jpg", "data\\com1.jpg", "data\\LPT1"}) {
        EXPECT_NE(dataNameProblem(name), nullptr) << name;
        char out[PATH_MAX];
        EXPECT_EQ(resolveDataPath(name, out, sizeof out), 0) << name;
    }
    for (const char* name : {"data\\console.jpg", "data\\com10.jpg", "/abs/file.dat"})
        EXPECT_EQ(dataNameProblem(name), nullptr) << name;
}

TEST(DataPath, TooLongNamesAreRefused) {
    setDataDirectory("/d");
    char small[8];
    EXPECT_EQ(resolveDataPath("data\\a-long-name.jpg", small, sizeof small), 0);
    std::string huge(PATH_MAX + 10, 'x');
    char out[PATH_MAX];
    EXPECT_EQ(resolveDataPath(huge.c_str(), out, sizeof out), 0);
}

TEST(ReportError, ReachesTheObserverOnce) {
    ErrorCapture capture;
    reportError("cannot play audio");
    ASSERT_EQ(capture.texts.size(), 1u);
    EXPECT_EQ(capture.texts[0], "cannot play audio");
}
