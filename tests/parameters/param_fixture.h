#pragma once
// A scratch directory per test, whole-file byte helpers, and a fixture that
// saves the global parameters first and puts them back afterwards.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "parameters/param_file.h"

struct ScratchDir {
    std::string path =
        mkdtemp((std::filesystem::temp_directory_path() / "morvik-params-XXXXXX").string().data());
    ~ScratchDir() { std::filesystem::remove_all(path); }
    std::string file(const std::string& name) const { return path + "/" + name; }
};

inline void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string readBytes(const std::string& path) {
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

class ParamFileTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(saved = saveParams(dir.file("restore.ini"))); }
    void TearDown() override { EXPECT_TRUE(!saved || readParams(dir.file("restore.ini"))); }
    std::string savedBytes() {  // what saveParams writes for the current parameters
        EXPECT_TRUE(saveParams(dir.file("snapshot.ini")));
        return readBytes(dir.file("snapshot.ini"));
    }
    bool readText(const std::string& text) {  // no colour-map reload
        writeBytes(dir.file("in.ini"), text);
        return readParams(dir.file("in.ini"));
    }
    ScratchDir dir;
    bool saved = false;  // a test skipped before SetUp has nothing to restore
};
