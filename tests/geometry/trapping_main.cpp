// The suites' main: GoogleTest with floating-point traps on (fp_traps.h).
#include <gtest/gtest.h>

#include "fp_traps.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    feenableexcept(TrapsMasked::kTraps);
    return RUN_ALL_TESTS();
}
