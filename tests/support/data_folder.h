#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/data_path.h"
#include "support/process.h"

// A fresh folder under the temp folder with a data folder in it, made the data
// directory while this lives. Removed afterwards with everything in it, also
// what a test made unreadable.
struct ScratchDataFolder {
    explicit ScratchDataFolder(const std::string& tag = "data-test")
        : root(makeTempDir(tag)), data(root + "/data") {
        EXPECT_FALSE(root.empty()) << "no temporary folder for " << tag;
        std::error_code ec;
        EXPECT_TRUE(std::filesystem::create_directory(data, ec)) << data << ": " << ec.message();
        setDataDirectory(data.c_str());
    }
    ~ScratchDataFolder() {
        if (root.empty()) return;
        unlock(root);
        removeTree(root);
        EXPECT_FALSE(fileExists(root)) << root << " is left behind";
    }
    ScratchDataFolder(const ScratchDataFolder&) = delete;
    ScratchDataFolder& operator=(const ScratchDataFolder&) = delete;

    // Writes a file of the data folder; returns its path.
    std::string write(const std::string& name, const std::string& bytes) const {
        const std::string path = data + "/" + name;
        std::ofstream out(path, std::ios::binary);
        out << bytes;
        EXPECT_TRUE(out.flush().good()) << "cannot write " << path;
        return path;
    }
    std::string write(const std::string& name, const std::vector<unsigned char>& bytes) const {
        return write(name, std::string(bytes.begin(), bytes.end()));
    }

    std::string root;
    std::string data;

private:
    // Gives the owner back every folder a test locked, so that all can go.
    static void unlock(const std::filesystem::path& folder) {
        namespace fs = std::filesystem;
        std::error_code ec;
        if (fs::is_symlink(folder, ec) || !fs::is_directory(folder, ec)) return;
        fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, ec);
        for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec))
            unlock(entry.path());
    }
};
