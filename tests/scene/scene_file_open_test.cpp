// How a scene file that cannot be read is reported: which file, where it was
// looked for and why, and never a wait on something that is no file.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/data_path.h"
#include "scene/scene_file.h"
#include "support/data_folder.h"
#include "support/error_capture.h"
#include "support/unprivileged.h"

namespace {

class SceneFileOpening : public ::testing::Test {
protected:
    void SetUp() override { scene = static_cast<Scene*>(std::calloc(1, sizeof(Scene))); }
    void TearDown() override { std::free(scene); }
    // Loads and returns what went to stderr; the error reports land in errors.
    std::string load(const char* name) {
        testing::internal::CaptureStderr();
        result = loadSceneFile(name, scene, 10);
        return testing::internal::GetCapturedStderr();
    }
    ScratchDataFolder folder{"scene-open-test"};
    Scene* scene = nullptr;
    ErrorCapture errors;
    int result = -1;
};

}  // namespace

TEST_F(SceneFileOpening, AMissingFileIsNamedWithTheFolderBeforeTheLoadersMessage) {
    const std::string err = load("data\\light.dat");
    EXPECT_EQ(result, 0);
    ASSERT_EQ(errors.texts.size(), 1u);
    EXPECT_EQ(errors.texts[0], "mesh-file not found");
    EXPECT_EQ(err.rfind("data\\light.dat: no such file in " + folder.data + "\n", 0), 0u) << err;
    EXPECT_LT(err.find("no such file"), err.find("mesh-file not found")) << err;

    // Started without its data folder: the folder searched is named as missing.
    setDataDirectory((folder.root + "/nowhere/data").c_str());
    errors.texts.clear();
    const std::string err2 = load("data\\light.dat");
    EXPECT_EQ(result, 0);
    EXPECT_NE(err2.find("data\\light.dat: no such file in " + folder.root +
                        "/nowhere/data, which does not exist\n"),
              std::string::npos)
        << err2;
    EXPECT_EQ(errors.texts, std::vector<std::string>{"mesh-file not found"});
}

TEST_F(SceneFileOpening, AnUnreadableFileSaysPermissionDenied) {
    if (rerunUnprivileged()) return;  // root reads every file
    const std::string path = folder.data + "/light.dat";
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT, 0);
    ASSERT_GE(fd, 0);
    close(fd);
    const std::string err = load("data\\light.dat");
    EXPECT_EQ(result, 0);
    // The file is there: its reason is the message, not "not found".
    EXPECT_EQ(errors.texts,
              std::vector<std::string>{"data\\light.dat: permission denied (" + path + ")"});
}

TEST_F(SceneFileOpening, ANamedPipeIsRefusedWithoutWaitingForAWriter) {
    ASSERT_EQ(mkfifo((folder.data + "/light.dat").c_str(), 0644), 0);
    load("data\\light.dat");
    EXPECT_EQ(result, 0);
    ASSERT_EQ(errors.texts.size(), 1u);
    EXPECT_EQ(errors.texts[0].rfind("data\\light.dat: not a regular file", 0), 0u)
        << errors.texts[0];
    EXPECT_NE(errors.texts[0].find("a named pipe"), std::string::npos) << errors.texts[0];
    EXPECT_EQ(scene->objectCount, 0);
}

TEST_F(SceneFileOpening, AHugeFileIsRefusedBeforeItIsRead) {
    // A sparse file of 2 GB: no disk space, but reading it whole would take
    // 2 GB of memory.
    const std::string path = folder.data + "/light.dat";
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, 2LL << 30), 0);
    close(fd);
    load("data\\light.dat");
    EXPECT_EQ(result, 0);
    ASSERT_EQ(errors.texts.size(), 1u);
    EXPECT_EQ(errors.texts[0],
              "data\\light.dat: the file is too large (2048 MB, at most 64 MB are read)");
    EXPECT_EQ(scene->camera, nullptr);
}
