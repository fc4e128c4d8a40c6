#pragma once
// A test fixture with a folder of its own under the temporary directory, made
// before each test and removed after it, and a way to write files into it.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace quorvane::testing {

class ScratchDirTest : public ::testing::Test {
protected:
    // name tells the folders of different test programs apart.
    explicit ScratchDirTest(const std::string &name)
        : dir_(std::filesystem::temp_directory_path() / ("quorvane-" + name + "-" + std::to_string(::getpid()))) {}

    void SetUp() override { std::filesystem::create_directories(dir_); }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }

    // Writes bytes as they are to name in the folder; returns its path.
    std::string Write(const std::string &name, const std::string &bytes) {
        const auto path = (dir_ / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    std::filesystem::path dir_;
};

} // namespace quorvane::testing
