// Data files on Windows: found beside the program, read byte for byte.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/data_file.h"
#include "platform/data_path.h"

TEST(Win32DataFile, ReadsEveryByteAsItIs) {
    // The runtime's text mode would stop at Ctrl-Z and drop the carriage return.
    const unsigned char bytes[] = {'B', 'M', 0x1A, '\r', '\n', 0, 0xFF, '\n', 0x1A};
    const char* path = "win32-data-file-test.bin";
    FILE* f = std::fopen(path, "wb");
    ASSERT_TRUE(f);
    std::fwrite(bytes, 1, sizeof bytes, f);
    std::fclose(f);
    unsigned char* data = nullptr;
    long long size = 0;
    ASSERT_EQ(readRegularFile(path, 1 << 20, &data, &size), dataFileOk);
    ASSERT_EQ(size, (long long)sizeof bytes);
    EXPECT_EQ(std::memcmp(data, bytes, sizeof bytes), 0);
    std::free(data);
    std::remove(path);
}

TEST(Win32DataFile, TheDataFolderIsBesideTheProgram) {
    const std::string dir = dataDirectory();
    ASSERT_GE(dir.size(), 5u);
    EXPECT_EQ(dir.substr(dir.size() - 5), "/data") << dir;
    EXPECT_EQ(dir.find('\\'), std::string::npos) << dir;
    char real[1024];
    ASSERT_TRUE(resolveDataPath("data\\scenes\\light.dat", real, sizeof real));
    EXPECT_EQ(std::string(real), dir + "/scenes/light.dat");
}

TEST(Win32DataFile, AFolderOrAMissingFileIsNoDataFile) {
    const char* kind = nullptr;
    EXPECT_EQ(checkRegularFile(".", &kind), dataFileNotRegular);
    EXPECT_STREQ(kind, "a folder");
    EXPECT_EQ(checkRegularFile("no-such-file.dat"), dataFileMissing);
}
