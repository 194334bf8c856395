// Skeleton contraction and its two measures.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/skeleton_contraction.h"
#include "child_process.h"
#include "test_meshes.h"
#include "vessel_tree.h"

namespace {

// Contracts S in place and returns the console lines of the same run (taken
// in a child, whose standard output is captured).
std::vector<std::string> contract(Eigen::MatrixXd& S, const Eigen::MatrixXi& F, double sL,
                                  int maxIterations) {
    const ChildResult r = runInChild([&] { contractMesh(S, F, sL, maxIterations); });
    EXPECT_EQ(r.exitStatus, 0);
    EXPECT_EQ(r.err, "");
    contractMesh(S, F, sL, maxIterations);
    std::vector<std::string> out;
    std::istringstream in(r.out);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

std::string formatted(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%f", value);
    return text;
}

const std::regex kIterLine("Skeletonizing iter ([0-9]+): vol = ([0-9]+\\.[0-9]{6})");
const std::regex kErrLine("Rel\\.error: [0-9]+\\.[0-9]{6}");

}  // namespace

TEST(ContractionMeasures, VertexAreasAndVolumes) {
    Eigen::MatrixXd V(4, 3);
    V << 0, 0, 0, 1, 0, 0, 0, 1, 0, 5, 5, 5;  // the last one is used by no face
    Eigen::VectorXd A;
    computeVertexAreas(V, (Eigen::MatrixXi(1, 3) << 0, 1, 2).finished(), A);
    EXPECT_EQ(A, (Eigen::VectorXd(4) << 1.0 / 6, 1.0 / 6, 1.0 / 6, 0.0).finished());

    const auto cube = test_meshes::cube();
    EXPECT_NEAR(meshVolume(cube.V, cube.F), 1.0, 1e-15);
    EXPECT_NEAR(meshVolume(cube.V, test_meshes::flipped(cube).F), 1.0, 1e-15);
    const Eigen::MatrixXd moved = cube.V.rowwise() + Eigen::RowVector3d(-3, 7, 2);
    EXPECT_NEAR(meshVolume(moved, cube.F), 1.0, 1e-12);
    EXPECT_EQ(meshVolume(cube.V, Eigen::MatrixXi(0, 3)), 0.0);
}

// Points without faces have no Laplacian and no volume: a solve reproduces
// them exactly, and points all at one place (or none) give the residual 0 / 0.
TEST(ContractMesh, ExactLinesOfSmallRuns) {
    Eigen::MatrixXd S(3, 3);
    S << 1, 2, 3, -4, 5, 6, 7, -8, 9;
    const Eigen::MatrixXd input = S;
    const Eigen::MatrixXi none(0, 3);
    EXPECT_EQ(
        contract(S, none, 5.0, 1),
        (std::vector<std::string>{"Skeletonizing iter 0: vol = 0.000000", "Rel.error: 0.000000"}));
    EXPECT_EQ(S, input);
    EXPECT_TRUE(contract(S, none, 5.0, 0).empty());
    EXPECT_EQ(S, input);

    for (Eigen::MatrixXd T :
         {Eigen::MatrixXd(Eigen::MatrixXd::Zero(3, 3)), Eigen::MatrixXd(0, 3)}) {
        const Eigen::MatrixXd before = T;
        const auto out = contract(T, none, 5.0, 10);
        ASSERT_EQ(out.size(), 3u);
        EXPECT_EQ(out[0], "Skeletonizing iter 0: vol = 0.000000");
        EXPECT_TRUE(std::regex_match(out[1], std::regex("Rel\\.error: -?nan"))) << out[1];
        EXPECT_EQ(out[2], "Rel.error too large, stopping");
        EXPECT_EQ(T, before);
    }
}

// Without weight growth a sphere shrinks slowly: every iteration passes every
// test, and exactly maxIterations solves run.
TEST(ContractMesh, RunsExactlyMaxIterationsWhenNothingStops) {
    const auto sphere = test_meshes::icosphere(1.0, 3);
    Eigen::MatrixXd S = sphere.V;
    const auto out = contract(S, sphere.F, 1.0, 3);
    ASSERT_EQ(out.size(), 6u);
    EXPECT_EQ(out[0], "Skeletonizing iter 0: vol = " + formatted(meshVolume(sphere.V, sphere.F)));
    for (int it = 0; it < 3; ++it) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(out[2 * it], m, kIterLine));
        EXPECT_EQ(std::stoi(m[1]), it);
        EXPECT_TRUE(std::regex_match(out[2 * it + 1], kErrLine));
    }
    const double vol = meshVolume(S, sphere.F);
    EXPECT_LT(vol, meshVolume(sphere.V, sphere.F));
    EXPECT_GT(vol, 0.0);
}

// A huge mesh makes the first contraction weight huge (it grows with the
// mean area): the first solve collapses everything, and the input stays.
TEST(ContractMesh, FirstIterationCollapseReturnsInputUnchanged) {
    const auto sphere = test_meshes::icosphere(1e7, 2);
    Eigen::MatrixXd S = sphere.V;
    const auto out = contract(S, sphere.F, 5.0, 10);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_TRUE(std::regex_match(out[1], kErrLine));
    EXPECT_TRUE(std::regex_match(
        out[2],
        std::regex("vol = [0-9]+\\.[0-9]{6}: stopping iterations and using previous point set")))
        << out[2];
    EXPECT_EQ(S, sphere.V);
}

// The driver's run on a tree: iteration lines counting up, each followed by
// its residual, at most one stop message and that one last; the result is
// the point set whose volume the last begun iteration printed (a stop puts
// it back) or the tenth solution.
TEST(ContractMesh, TreeRunFollowsTheConsoleGrammar) {
    Eigen::MatrixXd V;
    Eigen::MatrixXi F;
    vessel_tree::bifurcationMesh(3000, V, F);
    Eigen::MatrixXd S = V;
    const auto out = contract(S, F, 5.0, 10);
    const std::regex stopLine(
        "SOLVER: .*|Rel\\.error too large, stopping|"
        "vol = .*: stopping iterations( and using previous point set)?");
    int iterations = 0;
    std::string lastVol;
    bool stopped = false;
    for (size_t k = 0; k < out.size(); ++k) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(out[k], m, kIterLine)) << out[k];
        EXPECT_EQ(std::stoi(m[1]), iterations++);
        lastVol = m[2];
        if (k + 1 < out.size() && std::regex_match(out[k + 1], kErrLine)) ++k;
        if (k + 1 < out.size() && std::regex_match(out[k + 1], stopLine)) {
            stopped = true;
            EXPECT_EQ(k + 2, out.size()) << "a stop message comes last";
            break;
        }
    }
    EXPECT_EQ(iterations, stopped ? std::min(iterations, 10) : 10);
    const double vol = meshVolume(S, F);
    EXPECT_LT(vol, 0.2 * meshVolume(V, F)) << "the tree has not been contracted";
    if (stopped) {
        EXPECT_EQ(lastVol, formatted(vol));
    }
}
