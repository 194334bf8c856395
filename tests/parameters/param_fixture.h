#pragma once
// A scratch directory per test, whole-file byte helpers, and a fixture that
// saves the global parameters first and puts them back afterwards.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "parameters/param_file.h"

struct ScratchDir {
    ScratchDir() {
        std::string pattern = std::filesystem::temp_directory_path() / "morvik-params-XXXXXX";
        path = mkdtemp(pattern.data());
    }
    ~ScratchDir() { std::filesystem::remove_all(path); }
    std::string file(const std::string& name) const { return path + "/" + name; }
    std::string path;
};

inline void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class ParamFileTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(saved = saveParams(restorePath())); }
    void TearDown() override {
        if (saved) {
            EXPECT_TRUE(readParams(restorePath()));
        }
    }
    std::string restorePath() const { return dir.file("restore.ini"); }
    // The bytes saveParams writes for the current parameters.
    std::string savedBytes() {
        EXPECT_TRUE(saveParams(dir.file("snapshot.ini")));
        return readBytes(dir.file("snapshot.ini"));
    }
    // Reads a parameter file of the given text (no colour-map reload).
    bool readText(const std::string& text) {
        writeBytes(dir.file("in.ini"), text);
        return readParams(dir.file("in.ini"));
    }
    ScratchDir dir;
    bool saved = false;  // a test skipped before SetUp has nothing to restore
};
