// The contraction's second volume stop: a volume ratio between 1e-8 and 1e-6.
#include <gtest/gtest.h>

#include <regex>

#include "analysis/skeleton_contraction.h"
#include "child_process.h"
#include "test_meshes.h"

// A sphere this large shrinks in its first solve to a few 1e-8 of its volume:
// the stop names the new volume and the input comes back unchanged.
TEST(ContractMesh, SmallVolumeRatioStopsWithItsOwnLine) {
    const auto sphere = test_meshes::icosphere(2e5, 2);
    Eigen::MatrixXd S = sphere.V;
    const ChildResult r = runInChild([&] { contractMesh(S, sphere.F, 5.0, 10); });
    EXPECT_EQ(r.exitStatus, 0);
    std::smatch m;
    ASSERT_TRUE(std::regex_match(r.out, m,
                                 std::regex("Skeletonizing iter 0: vol = [0-9]+\\.[0-9]{6}\n"
                                            "Rel\\.error: [0-9]+\\.[0-9]{6}\n"
                                            "vol = ([0-9]+\\.[0-9]{6}): stopping iterations\n")))
        << r.out;
    const double ratio = std::stod(m[1]) / meshVolume(sphere.V, sphere.F);
    EXPECT_TRUE(ratio >= 1e-8 && ratio < 1e-6) << ratio;
    contractMesh(S, sphere.F, 5.0, 10);
    EXPECT_EQ(S, sphere.V);
}
