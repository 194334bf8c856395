#pragma once
// Parameter-file tests change the global renderer and the shell settings:
// each test starts from the state before it and puts it back afterwards.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "parameters/param_file.h"
#include "scratch_dir.h"

class ParamFileTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(saved = saveParams(restorePath())); }
    void TearDown() override {
        if (saved) {
            EXPECT_TRUE(readParams(restorePath()));
        }
    }
    std::string restorePath() const { return dir.file("restore.ini"); }

    // The current parameters as the lines of a saved file.
    std::vector<std::string> savedLines() {
        std::string path = dir.file("snapshot.ini");
        EXPECT_TRUE(saveParams(path));
        std::vector<std::string> lines;
        std::string bytes = readBytes(path);
        std::size_t start = 0;
        for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos;
             start = end + 2)
            lines.push_back(bytes.substr(start, end - start));
        lines.push_back(bytes.substr(start));
        return lines;
    }

    // Reads a parameter file of the given text (no colour-map reload).
    bool readText(const std::string& text) {
        writeBytes(dir.file("in.ini"), text);
        return readParams(dir.file("in.ini"));
    }

    ScratchDir dir;
    bool saved = false;  // a test skipped before SetUp has nothing to restore
};
