#pragma once
// A fixture that saves the global parameters first and puts them back
// afterwards, with a scratch folder per test.

#include <gtest/gtest.h>

#include <string>

#include "parameters/param_file.h"
#include "scratch_dir.h"

class ParamFileTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(saved = saveParams(dir.file("restore.ini"))); }
    void TearDown() override { EXPECT_TRUE(!saved || readParams(dir.file("restore.ini"))); }
    std::string savedBytes() {  // what saveParams writes for the current parameters
        EXPECT_TRUE(saveParams(dir.file("snapshot.ini")));
        return readFile(dir.file("snapshot.ini"));
    }
    bool readText(const std::string& text) {  // no colour-map reload
        writeFile(dir.file("in.ini"), text);
        return readParams(dir.file("in.ini"));
    }
    ScratchDir dir{"morvik-params"};
    bool saved = false;  // a test skipped before SetUp has nothing to restore
};
