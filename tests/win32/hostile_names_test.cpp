// Names Windows opens as something else than a file in the data folder are
// refused with the reason, before anything is opened.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/data_file.h"
#include "platform/data_path.h"

TEST(Win32HostileNames, AreRefusedWithTheReason) {
    // The names of each kind, and a word of the reason given for them.
    const struct {
        const char* reason;
        std::vector<std::string> names;
    } kinds[] = {
        {"drive", {"C:\\windows\\win.ini", "c:lens.jpg"}},
        {"network path", {"\\\\host\\share\\lens.jpg", "//host/share/lens.jpg"}},
        {"stream", {"data\\lens2.jpg:x", "data\\lens2.jpg::$DATA"}},
        {"device", {"data\\CON", "data\\con.jpg", "data\\NUL.", "data\\aux .jpg", "data\\COM1.jpg",
                    "data\\lpt9", "data\\con\\lens.jpg"}},
        {"260", {"data\\" + std::string(270, 'x') + ".jpg"}},
    };
    for (const auto& kind : kinds) {
        for (const std::string& text : kind.names) {
            const char* name = text.c_str();
            const char* problem = dataNameProblem(name);
            ASSERT_NE(problem, nullptr) << name;
            EXPECT_NE(std::string(problem).find(kind.reason), std::string::npos)
                << name << ": " << problem;
            EXPECT_FALSE(dataNameStaysInside(name)) << name;
            char real[4096];
            EXPECT_EQ(resolveDataPath(name, real, sizeof real), 0) << name;
            // Reading it says the name and why, and opens nothing.
            char said[1024];
            describeDataFileProblem(said, sizeof said, name, nullptr, dataFileMissing);
            EXPECT_EQ(std::string(said), text + ": refused, not opened: " + problem);
            unsigned char* data = nullptr;
            long long size = 0;
            EXPECT_EQ(readDataFile(name, 1 << 20, &data, &size, true), dataFileMissing) << name;
            EXPECT_EQ(data, nullptr);
        }
    }
}

TEST(Win32HostileNames, NamesThatOnlyLookLikeThemAreFine) {
    for (const char* name : {"data\\lens2.jpg", "data\\console.jpg", "data\\com10.jpg", "data\\lpt.jpg",
                             "data\\nul-lens.jpg", "data\\a.con", "data\\COM0.jpg", "data\\sub\\..\\x.jpg"})
        EXPECT_EQ(dataNameProblem(name), nullptr) << name;
}
