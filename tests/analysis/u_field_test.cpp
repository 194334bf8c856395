// The U field: its step count, its fatal paths and its flat-root cases.
#include <gtest/gtest.h>

#include <climits>
#include <limits>
#include <regex>

#include "analysis/smoothing_steps.h"
#include "analysis/solver_status.h"
#include "analysis/u_field.h"
#include "child_process.h"
#include "test_meshes.h"

// A plain conversion of a quotient that is not finite or not below 2^31 would
// be undefined: all of those give INT_MIN. The steps run stop at the cap.
TEST(SmoothingSteps, IntConversionAndCap) {
    const double inf = std::numeric_limits<double>::infinity();
    const std::pair<double, int> counts[] = {{12.9, 12},
                                             {0.7, 0},
                                             {0.0, 0},
                                             {2147483647.9, INT_MAX},
                                             {inf, INT_MIN},
                                             {-inf, INT_MIN},
                                             {std::numeric_limits<double>::quiet_NaN(), INT_MIN},
                                             {2147483648.0, INT_MIN},
                                             {1e300, INT_MIN}};
    for (auto [quotient, steps] : counts) EXPECT_EQ(smoothingSteps(quotient), steps) << quotient;
    for (int n : {INT_MIN, -1, 0, 281, kMaxSmoothingSteps, kMaxSmoothingSteps + 1, INT_MAX})
        EXPECT_EQ(cappedSmoothingSteps(n), std::min(n, kMaxSmoothingSteps)) << n;
}

// A flat root has both curvatures 0: the step count is INT_MIN and no step
// runs. A root on a sheet bent by a hair asks for millions of steps: the
// count is printed as computed and the run stops at the cap. Both give a
// finite field spanning [0, Dmax].
TEST(ComputeUField, FlatAndNearlyFlatRoots) {
    auto bent = test_meshes::grid(16, 16, 4.0, 4.0);
    const auto flat = bent;
    bent.V.col(2) = 1e-6 * bent.V.col(0).array().square();
    const struct {
        const test_meshes::Mesh& mesh;
        int root;
        const char* lines;
    } cases[] = {
        {flat, 0, "# smoothing iter: -2147483648\n"},
        {bent, 8 * 17 + 8, "# smoothing iter: ([0-9]{7,})\nSmoothing capped at 5000 steps\n"}};
    for (const auto& c : cases) {
        Eigen::VectorXd U(3);  // its prior size does not matter
        const ChildResult r = runInChild([&] { computeUField(c.mesh.V, c.mesh.F, c.root, U); });
        EXPECT_EQ(r.exitStatus, 0);
        EXPECT_TRUE(std::regex_match(r.out, std::regex(c.lines))) << r.out;
        computeUField(c.mesh.V, c.mesh.F, c.root, U);
        ASSERT_EQ(U.size(), c.mesh.V.rows());
        ASSERT_TRUE(U.allFinite());
        EXPECT_EQ(U.minCoeff(), 0.0);
    }
}

TEST(ComputeUField, FatalPathsAndSolverLines) {
    const auto sphere = test_meshes::icosphere(1.0, 2);
    Eigen::MatrixXd broken = sphere.V;
    broken(5, 0) = std::numeric_limits<double>::quiet_NaN();
    const int n = static_cast<int>(sphere.V.rows());
    const std::string badRoot = "FATAL ERROR: Assertion failed: root >= 0 && root < V.rows()\n";
    const struct {
        const Eigen::MatrixXd& V;
        int root;
        std::string out;
    } cases[] = {{sphere.V, -1, badRoot},
                 {sphere.V, n, badRoot},
                 {broken, 0, "FATAL ERROR: Geodesics in Heat: precompute failed\n"}};
    for (const auto& c : cases) {
        const ChildResult r = runInChild([&] {
            Eigen::VectorXd U;
            computeUField(c.V, sphere.F, c.root, U);
        });
        EXPECT_EQ(r.exitStatus, 255);
        EXPECT_EQ(r.out, c.out);
    }
    const ChildResult r = runInChild([] {
        for (int info : {0, 1, 2, 3, 7})
            printSolverStatus(static_cast<Eigen::ComputationInfo>(info));
    });
    EXPECT_EQ(r.out,
              "SOLVER: numerical issue!\nSOLVER: no convergence!\nSOLVER: invalid input!\n"
              "SOLVER: unknown error!\n");
}
