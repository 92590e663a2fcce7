// Names Windows opens as something else than a file in the data folder are
// refused with the reason, before anything is opened.
#include <gtest/gtest.h>

#include <string>

#include "platform/data_file.h"
#include "platform/data_path.h"

TEST(Win32HostileNames, AreRefusedWithTheReason) {
    const std::string longName = "data\\" + std::string(270, 'x') + ".jpg";
    const struct {
        const char* name;
        const char* reason;
    } cases[] = {
        {"C:\\windows\\win.ini", "drive"},
        {"c:lens.jpg", "drive"},
        {"\\\\host\\share\\lens.jpg", "network path"},
        {"//host/share/lens.jpg", "network path"},
        {"data\\lens2.jpg:x", "stream"},
        {"data\\lens2.jpg::$DATA", "stream"},
        {"data\\CON", "device"},
        {"data\\con.jpg", "device"},
        {"data\\NUL.", "device"},
        {"data\\aux .jpg", "device"},
        {"data\\COM1.jpg", "device"},
        {"data\\lpt9", "device"},
        {"data\\con\\lens.jpg", "device"},
        {longName.c_str(), "260"},
    };
    for (const auto& c : cases) {
        const char* problem = dataNameProblem(c.name);
        ASSERT_NE(problem, nullptr) << c.name;
        EXPECT_NE(std::string(problem).find(c.reason), std::string::npos) << c.name << ": " << problem;
        EXPECT_FALSE(dataNameStaysInside(c.name)) << c.name;
        char real[4096];
        EXPECT_EQ(resolveDataPath(c.name, real, sizeof real), 0) << c.name;
        // Reading it says the name and why, and opens nothing.
        char text[1024];
        describeDataFileProblem(text, sizeof text, c.name, nullptr, dataFileMissing);
        EXPECT_EQ(std::string(text), std::string(c.name) + ": refused, not opened: " + problem);
        unsigned char* data = nullptr;
        long long size = 0;
        EXPECT_EQ(readDataFile(c.name, 1 << 20, &data, &size, true), dataFileMissing) << c.name;
        EXPECT_EQ(data, nullptr);
    }
}

TEST(Win32HostileNames, NamesThatOnlyLookLikeThemAreFine) {
    for (const char* name : {"data\\lens2.jpg", "data\\console.jpg", "data\\com10.jpg", "data\\lpt.jpg",
                             "data\\nul-lens.jpg", "data\\a.con", "data\\COM0.jpg", "data\\sub\\..\\x.jpg"})
        EXPECT_EQ(dataNameProblem(name), nullptr) << name;
}
