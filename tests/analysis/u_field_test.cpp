// The U field: its step count, its fatal paths and its shape on simple
// tubes whose answer is known.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <regex>
#include <string>
#include <vector>

#include "analysis/smoothing_steps.h"
#include "analysis/solver_status.h"
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

TEST(SmoothingSteps, RunAtMostTheCap) {
    for (int n : {INT_MIN, -1, 0, 281, kMaxSmoothingSteps})
        EXPECT_EQ(cappedSmoothingSteps(n), n) << n;
    for (int n : {kMaxSmoothingSteps + 1, 12000000, INT_MAX})
        EXPECT_EQ(cappedSmoothingSteps(n), kMaxSmoothingSteps) << n;
}

// A root on a nearly flat patch (a sheet bent by a hair) asks for millions of
// steps, seconds to hours of smoothing: the count is printed as computed and
// the run stops at the cap.
TEST(ComputeUField, NearlyFlatRootIsCapped) {
    auto sheet = test_meshes::grid(16, 16, 4.0, 4.0);
    for (int i = 0; i < sheet.V.rows(); ++i) sheet.V(i, 2) = 1e-6 * std::pow(sheet.V(i, 0), 2);
    const int root = 8 * 17 + 8;  // the middle vertex
    Eigen::VectorXd U;
    ChildResult r = runInChild([&] { computeUField(sheet.V, sheet.F, root, U); });
    EXPECT_EQ(r.exitStatus, 0);
    std::smatch m;
    ASSERT_TRUE(std::regex_match(
        r.out, m, std::regex("# smoothing iter: ([0-9]+)\nSmoothing capped at 5000 steps\n")))
        << r.out;
    EXPECT_GT(std::stoll(m[1]), 1000000);
    computeUField(sheet.V, sheet.F, root, U);
    ASSERT_EQ(U.size(), sheet.V.rows());
    ASSERT_TRUE(U.allFinite());
    EXPECT_EQ(U.minCoeff(), 0.0);
    EXPECT_GT(U.maxCoeff(), 0.0);
}

TEST(ComputeUField, InvalidRootIsAnAssertion) {
    const auto sphere = test_meshes::icosphere(1.0, 1);
    for (int root : {-1, static_cast<int>(sphere.V.rows())}) {
        ChildResult r = runInChild([&] {
            Eigen::VectorXd U;
            computeUField(sphere.V, sphere.F, root, U);
        });
        EXPECT_EQ(r.exitStatus, 255);
        EXPECT_EQ(r.out, "FATAL ERROR: Assertion failed: root >= 0 && root < V.rows()\n");
    }
}

TEST(ComputeUField, FailedHeatPrecomputationIsFatal) {
    const auto mesh = test_meshes::icosphere(1.0, 2);
    Eigen::MatrixXd V = mesh.V;
    V(5, 0) = std::numeric_limits<double>::quiet_NaN();
    ChildResult r = runInChild([&] {
        Eigen::VectorXd U;
        computeUField(V, mesh.F, 0, U);
    });
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.exitStatus, 255);
    EXPECT_EQ(r.out, "FATAL ERROR: Geodesics in Heat: precompute failed\n");
}

TEST(ComputeUField, SolverStatusLines) {
    ChildResult r = runInChild([] {
        for (auto info : {Eigen::Success, Eigen::NumericalIssue, Eigen::NoConvergence,
                          Eigen::InvalidInput, static_cast<Eigen::ComputationInfo>(7)})
            printSolverStatus(info);
    });
    EXPECT_EQ(r.out,
              "SOLVER: numerical issue!\nSOLVER: no convergence!\nSOLVER: invalid input!\n"
              "SOLVER: unknown error!\n");
}

// A flat sheet: both principal curvatures at the root are 0, the step count
// is the most negative int, no smoothing runs, and U still spans [0, Dmax]
// growing away from the root corner.
TEST(ComputeUField, FlatRootRunsNoSmoothingStep) {
    const auto sheet = test_meshes::grid(16, 16, 4.0, 4.0);
    Eigen::VectorXd U(3);  // the prior size does not matter
    ChildResult r = runInChild([&] { computeUField(sheet.V, sheet.F, 0, U); });
    EXPECT_EQ(r.exitStatus, 0);
    EXPECT_EQ(r.out, "# smoothing iter: -2147483648\n");
    computeUField(sheet.V, sheet.F, 0, U);
    ASSERT_EQ(U.size(), sheet.V.rows());
    ASSERT_TRUE(U.allFinite());
    EXPECT_EQ(U.minCoeff(), 0.0);
    EXPECT_GE(U.maxCoeff(), 0.0);
}

// On a capsule rooted at one pole, U runs from 0 there to its largest value
// at the other pole and grows with the distance along the axis.
TEST(ComputeUField, CapsuleGrowsAlongItsAxis) {
    const auto capsule = test_meshes::capsule(1.0, 8.0, 40, 24);
    int root = 0;
    capsule.V.col(2).minCoeff(&root);
    Eigen::VectorXd U;
    computeUField(capsule.V, capsule.F, root, U);
    ASSERT_TRUE(U.allFinite());
    EXPECT_LT(U(root), 0.02 * U.maxCoeff());
    int top = 0;
    capsule.V.col(2).maxCoeff(&top);
    EXPECT_GT(U(top), 0.95 * U.maxCoeff());
    // Mean U per slab of the axis increases from slab to slab.
    const double zmin = capsule.V.col(2).minCoeff(), zmax = capsule.V.col(2).maxCoeff();
    const int slabs = 8;
    std::vector<double> sum(slabs, 0.0);
    std::vector<int> count(slabs, 0);
    for (int i = 0; i < capsule.V.rows(); ++i) {
        const int s =
            std::min(slabs - 1, static_cast<int>((capsule.V(i, 2) - zmin) / (zmax - zmin) * slabs));
        sum[s] += U(i);
        ++count[s];
    }
    for (int s = 1; s < slabs; ++s)
        EXPECT_GT(sum[s] / count[s], sum[s - 1] / count[s - 1]) << "slab " << s;
}
