#include <gtest/gtest.h>

#include "child_process.h"
#include "platform/fatal.h"

TEST(Fatal, MessageOnStandardOutputThenStatusMinusOne) {
    for (auto [fatal, said] :
         {std::pair<void (*)(), const char*>{[] { fatalError("Cannot locate assets directory!"); },
                                             "FATAL ERROR: Cannot locate assets directory!\n"},
          {[] { MORVIK_ASSERT(1 + 1 == 3); }, "FATAL ERROR: Assertion failed: 1 + 1 == 3\n"}}) {
        ChildResult r = runInChild(fatal);
        EXPECT_EQ(r.exitStatus, 255);
        EXPECT_EQ(r.out + r.err, said);
    }
    EXPECT_EQ(runInChild([] { MORVIK_ASSERT(1 + 1 == 2); }).out, "");
}
