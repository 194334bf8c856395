// The U field: its step count, its fatal paths and its shape on simple
// tubes whose answer is known.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

#include "analysis/smoothing_steps.h"
#include "analysis/u_field.h"
#include "child_process.h"
#include "test_meshes.h"
#include "vessel_tree.h"

TEST(SmoothingSteps, TruncatesAndMapsEverythingElseToIntMin) {
    EXPECT_EQ(smoothingSteps(12.9), 12);
    EXPECT_EQ(smoothingSteps(0.7), 0);
    EXPECT_EQ(smoothingSteps(0.0), 0);
    EXPECT_EQ(smoothingSteps(2147483647.9), 2147483647);
    const double inf = std::numeric_limits<double>::infinity();
    for (double q : {inf, -inf, std::numeric_limits<double>::quiet_NaN(), 2147483648.0, 1e300})
        EXPECT_EQ(smoothingSteps(q), INT_MIN) << q;
}

TEST(ComputeUField, InvalidRootIsAnAssertion) {
    const auto mesh = test_meshes::icosphere(1.0, 1);
    Eigen::MatrixXd V = mesh.V;
    Eigen::MatrixXi F = mesh.F;
    for (int root : {-1, static_cast<int>(V.rows())}) {
        ChildResult r = runInChild([&] {
            Eigen::VectorXd U;
            computeUField(V, F, root, U);
        });
        EXPECT_EQ(r.exitStatus, 255);
        EXPECT_EQ(r.out, "FATAL ERROR: Assertion failed: root >= 0 && root < V.rows()\n");
    }
}
