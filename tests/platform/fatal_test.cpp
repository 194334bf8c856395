#include <gtest/gtest.h>

#include "child_process.h"
#include "platform/fatal.h"

TEST(Fatal, WritesMessageToStandardOutputAndExitsWithMinusOne) {
    ChildResult r = runInChild([] { fatalError("Cannot locate assets directory!"); });
    ASSERT_TRUE(r.exited);
    EXPECT_EQ(r.exitStatus, 255);
    EXPECT_EQ(r.out, "FATAL ERROR: Cannot locate assets directory!\n");
    EXPECT_EQ(r.err, "");
}

TEST(Fatal, AssertionNamesTheCondition) {
    ChildResult r = runInChild([] {
        int root = -1;
        MORVIK_ASSERT(root >= 0);
    });
    EXPECT_EQ(r.exitStatus, 255);
    EXPECT_EQ(r.out, "FATAL ERROR: Assertion failed: root >= 0\n");
}

TEST(Fatal, PassingAssertionDoesNothing) {
    ChildResult r = runInChild([] { MORVIK_ASSERT(1 + 1 == 2); });
    EXPECT_EQ(r.exitStatus, 0);
    EXPECT_EQ(r.out, "");
}
