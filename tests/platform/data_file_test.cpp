#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/data_file.h"
#include "platform/data_path.h"
#include "support/data_folder.h"
#include "support/unprivileged.h"

namespace {

std::string readLine(const char* name, long long limit, DataFileStatus* status) {
    unsigned char* data = nullptr;
    long long size = 0;
    testing::internal::CaptureStderr();
    *status = readDataFile(name, limit, &data, &size);
    std::free(data);
    return testing::internal::GetCapturedStderr();
}

}  // namespace

TEST(DataFile, ReadsRegularFilesWholeAndEmptyOnesToo) {
    ScratchDataFolder f("data-file-test");
    f.write("a.bin", std::string("ab\0cd", 5));
    f.write("empty.bin", "");
    unsigned char* data = nullptr;
    long long size = 0;
    ASSERT_EQ(readDataFile("data\\a.bin", 100, &data, &size), dataFileOk);
    EXPECT_EQ(size, 5);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data), 5), std::string("ab\0cd", 5));
    std::free(data);
    ASSERT_EQ(readDataFile("data\\empty.bin", 100, &data, &size), dataFileOk);
    EXPECT_NE(data, nullptr);
    EXPECT_EQ(size, 0);
    std::free(data);
}

TEST(DataFile, AnythingButARegularFileIsRefusedAtOnceByWhatItIs) {
    ScratchDataFolder f("data-file-test");
    // A named pipe without a writer: a plain open would wait here forever.
    ASSERT_EQ(mkfifo((f.data + "/pipe.dat").c_str(), 0644), 0);
    mkdir((f.data + "/folder.dat").c_str(), 0755);
    symlink("/dev/null", (f.data + "/device.dat").c_str());
    const struct {
        const char* name;
        const char* kind;
    } cases[] = {{"data\\pipe.dat", "a named pipe"},
                 {"data\\folder.dat", "a folder"},
                 {"data\\device.dat", "a device"}};
    for (const auto& c : cases) {
        DataFileStatus status;
        const std::string err = readLine(c.name, 1000, &status);
        EXPECT_EQ(status, dataFileNotRegular) << c.name;
        EXPECT_EQ(err.rfind(std::string(c.name) + ": not a regular file (", 0), 0u) << err;
        EXPECT_NE(err.find(std::string(" is ") + c.kind + ")\n"), std::string::npos) << err;
        const char* kind = nullptr;
        char real[4096];
        ASSERT_TRUE(resolveDataPath(c.name, real, sizeof real));
        EXPECT_EQ(checkRegularFile(real, &kind), dataFileNotRegular);
        EXPECT_STREQ(kind, c.kind);
    }
}

TEST(DataFile, AMissingFileNamesTheFolderSearched) {
    ScratchDataFolder f("data-file-test");
    DataFileStatus status;
    std::string err = readLine("data\\gone.dat", 1000, &status);
    EXPECT_EQ(status, dataFileMissing);
    EXPECT_EQ(err, "data\\gone.dat: no such file in " + f.data + "\n");
    // Without the data folder itself, the message says so.
    setDataDirectory((f.root + "/no-such-folder").c_str());
    err = readLine("data\\gone.dat", 1000, &status);
    EXPECT_EQ(status, dataFileMissing);
    EXPECT_EQ(err, "data\\gone.dat: no such file in " + f.root +
                       "/no-such-folder, which does not exist\n");
}

TEST(DataFile, TooLargeFilesAreRefusedWithBothSizes) {
    ScratchDataFolder f("data-file-test");
    f.write("big.dat", std::string(3 << 20, 'x'));
    DataFileStatus status;
    const std::string err = readLine("data\\big.dat", 1 << 20, &status);
    EXPECT_EQ(status, dataFileTooLarge);
    EXPECT_EQ(err, "data\\big.dat: the file is too large (3 MB, at most 1 MB are read)\n");
    char text[64];
    formatByteCount(text, sizeof text, 300);
    EXPECT_STREQ(text, "300 bytes");
    formatByteCount(text, sizeof text, (5LL << 20) + 1);
    EXPECT_STREQ(text, "5.0 MB");
}

TEST(DataFile, AnUnreadableFileSaysPermissionDenied) {
    if (rerunUnprivileged()) return;  // root reads every file
    ScratchDataFolder f("data-file-test");
    const std::string path = f.write("locked.dat", "x");
    ASSERT_EQ(chmod(path.c_str(), 0), 0);
    DataFileStatus status;
    const std::string err = readLine("data\\locked.dat", 1000, &status);
    EXPECT_EQ(status, dataFileDenied);
    EXPECT_EQ(err, "data\\locked.dat: permission denied (" + path + ")\n");
}

// Each problem found at a path says its own reason with the path, or with the
// name where no path was found; a missing kind still reads as a sentence.
TEST(DataFile, EachProblemAtAPathSaysItsOwnReason) {
    struct Case {
        DataFileStatus status;
        const char* realPath;
        const char* expected;
    };
    const Case cases[] = {
        {dataFileDenied, "/d/x.dat", "data\\x.dat: permission denied (/d/x.dat)"},
        {dataFileLinkLoop, "/d/x.dat", "data\\x.dat: its symbolic links lead round in a loop (/d/x.dat)"},
        {dataFileUnreadable, "/d/x.dat", "data\\x.dat: the file cannot be read (/d/x.dat)"},
        {dataFileUnreadable, nullptr, "data\\x.dat: the file cannot be read (data\\x.dat)"},
        {dataFileNotRegular, nullptr, "data\\x.dat: not a regular file (data\\x.dat is something else)"},
    };
    for (const Case& c : cases) {
        char text[256];
        describeDataFileProblem(text, sizeof text, "data\\x.dat", c.realPath, c.status);
        EXPECT_STREQ(text, c.expected);
    }
}
