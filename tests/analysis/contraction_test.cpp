// Skeleton contraction and its two measures.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/skeleton_contraction.h"
#include "child_process.h"
#include "test_meshes.h"
#include "vessel_tree.h"

namespace {

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

}  // namespace

TEST(VertexAreas, ThirdOfEachFaceAreaPerCorner) {
    Eigen::MatrixXd V(4, 3);
    V << 0, 0, 0, 1, 0, 0, 0, 1, 0, 5, 5, 5;  // the last one is used by no face
    Eigen::MatrixXi F(1, 3);
    F << 0, 1, 2;
    Eigen::VectorXd A;
    computeVertexAreas(V, F, A);
    ASSERT_EQ(A.size(), 4);
    for (int i = 0; i < 3; ++i) EXPECT_DOUBLE_EQ(A(i), 1.0 / 6.0);
    EXPECT_EQ(A(3), 0.0);
}

TEST(MeshVolume, UnitCubeEitherOrientationAndEmpty) {
    const auto cube = test_meshes::cube();
    Eigen::MatrixXd V = cube.V;
    Eigen::MatrixXi F = cube.F;
    EXPECT_NEAR(meshVolume(V, F), 1.0, 1e-15);
    EXPECT_NEAR(meshVolume(V, test_meshes::flipped({V, F}).F), 1.0, 1e-15);
    // Translation does not change a closed mesh's volume.
    Eigen::MatrixXd moved = V.rowwise() + Eigen::RowVector3d(-3, 7, 2);
    EXPECT_NEAR(meshVolume(moved, F), 1.0, 1e-12);
    EXPECT_EQ(meshVolume(V, Eigen::MatrixXi(0, 3)), 0.0);
}

// Points without faces: no Laplacian and no volume, so one iteration solves
// the identity and reproduces the input exactly.
TEST(ContractMesh, ExactLinesOfOneIterationWithoutFaces) {
    Eigen::MatrixXd S(3, 3);
    S << 1, 2, 3, -4, 5, 6, 7, -8, 9;
    const Eigen::MatrixXd input = S;
    ChildResult r = runInChild([&] { contractMesh(S, Eigen::MatrixXi(0, 3), 5.0, 1); });
    EXPECT_EQ(r.exitStatus, 0);
    EXPECT_EQ(r.out, "Skeletonizing iter 0: vol = 0.000000\nRel.error: 0.000000\n");
    EXPECT_EQ(r.err, "");
    contractMesh(S, Eigen::MatrixXi(0, 3), 5.0, 1);
    EXPECT_EQ(S, input);
}

TEST(ContractMesh, ZeroIterationsDoNothing) {
    const auto mesh = test_meshes::icosphere(1.0, 2);
    Eigen::MatrixXd V = mesh.V;
    Eigen::MatrixXi F = mesh.F;
    Eigen::MatrixXd S = V;
    ChildResult r = runInChild([&] { contractMesh(S, F, 5.0, 0); });
    EXPECT_EQ(r.out, "");
    contractMesh(S, F, 5.0, 0);
    EXPECT_EQ(S, V);
}

// All points at one place: the right-hand side is zero and the residual
// 0 / 0, which must stop the run and keep the input.
TEST(ContractMesh, NotANumberResidualStops) {
    Eigen::MatrixXd S = Eigen::MatrixXd::Zero(4, 3);
    ChildResult r = runInChild([&] { contractMesh(S, Eigen::MatrixXi(0, 3), 5.0, 10); });
    EXPECT_TRUE(std::regex_match(r.out, std::regex("Skeletonizing iter 0: vol = 0\\.000000\n"
                                                   "Rel\\.error: -?nan\n"
                                                   "Rel\\.error too large, stopping\n")))
        << r.out;
    contractMesh(S, Eigen::MatrixXi(0, 3), 5.0, 10);
    EXPECT_EQ(S, Eigen::MatrixXd::Zero(4, 3));
}

// Without weight growth a sphere shrinks slowly: every iteration passes every
// test, and exactly maxIterations solves run.
TEST(ContractMesh, RunsExactlyMaxIterationsWhenNothingStops) {
    const auto mesh = test_meshes::icosphere(1.0, 3);
    Eigen::MatrixXd V = mesh.V;
    Eigen::MatrixXi F = mesh.F;
    Eigen::MatrixXd S = V;
    ChildResult r = runInChild([&] { contractMesh(S, F, 1.0, 3); });
    const auto out = lines(r.out);
    ASSERT_EQ(out.size(), 6u) << r.out;
    char first[64];
    std::snprintf(first, sizeof first, "Skeletonizing iter 0: vol = %f", meshVolume(V, F));
    EXPECT_EQ(out[0], first);
    for (int it = 0; it < 3; ++it) {
        EXPECT_TRUE(std::regex_match(
            out[2 * it],
            std::regex("Skeletonizing iter " + std::to_string(it) + ": vol = [0-9]+\\.[0-9]{6}")));
        EXPECT_TRUE(std::regex_match(out[2 * it + 1], std::regex("Rel\\.error: 0\\.[0-9]{6}")));
    }
    contractMesh(S, F, 1.0, 3);
    const double vol = meshVolume(S, F);
    EXPECT_LT(vol, meshVolume(V, F));
    EXPECT_GT(vol, 0.0);
}

// A huge mesh makes the first contraction weight huge (it grows with the
// mean area): the first solve collapses everything, and the input stays.
TEST(ContractMesh, FirstIterationCollapseReturnsInputUnchanged) {
    const auto mesh = test_meshes::icosphere(1e7, 2);
    Eigen::MatrixXd V = mesh.V;
    Eigen::MatrixXi F = mesh.F;
    Eigen::MatrixXd S = V;
    ChildResult r = runInChild([&] { contractMesh(S, F, 5.0, 10); });
    const auto out = lines(r.out);
    ASSERT_EQ(out.size(), 3u) << r.out;
    EXPECT_TRUE(std::regex_match(out[1], std::regex("Rel\\.error: [0-9]+\\.[0-9]{6}")));
    EXPECT_TRUE(std::regex_match(
        out[2],
        std::regex("vol = [0-9]+\\.[0-9]{6}: stopping iterations and using previous point set")))
        << out[2];
    contractMesh(S, F, 5.0, 10);
    EXPECT_EQ(S, V);
}

// The driver's run on a tree: the console follows the documented grammar,
// and the result is the point set whose volume the last begun iteration
// printed (a stop puts it back) or the tenth solution.
TEST(ContractMesh, TreeRunFollowsTheConsoleGrammar) {
    Eigen::MatrixXd V;
    Eigen::MatrixXi F;
    vessel_tree::bifurcationMesh(3000, V, F);
    Eigen::MatrixXd S = V;
    ChildResult r = runInChild([&] { contractMesh(S, F, 5.0, 10); });
    const auto out = lines(r.out);
    ASSERT_GE(out.size(), 2u);
    const std::regex iterLine("Skeletonizing iter ([0-9]+): vol = ([0-9]+\\.[0-9]{6})");
    const std::regex errLine("Rel\\.error: [0-9]+\\.[0-9]{6}");
    const std::regex stopLine(
        "SOLVER: .*|Rel\\.error too large, stopping|vol = .*: stopping iterations( and using "
        "previous point set)?");
    size_t k = 0;
    int iterations = 0;
    std::string lastVol;
    bool stopped = false;
    while (k < out.size()) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(out[k], m, iterLine)) << out[k];
        EXPECT_EQ(std::stoi(m[1]), iterations++);
        lastVol = m[2];
        ++k;
        if (k < out.size() && std::regex_match(out[k], errLine)) ++k;
        if (k < out.size() && std::regex_match(out[k], stopLine)) {
            stopped = true;
            ++k;
            EXPECT_EQ(k, out.size()) << "a stop message comes last";
        }
    }
    EXPECT_LE(iterations, 10);
    if (!stopped) {
        EXPECT_EQ(iterations, 10);
    }

    contractMesh(S, F, 5.0, 10);
    const double vol = meshVolume(S, F);
    EXPECT_LT(vol, 0.2 * meshVolume(V, F)) << "the tree has not been contracted";
    if (stopped) {
        char printed[64];
        std::snprintf(printed, sizeof printed, "%f", vol);
        EXPECT_EQ(lastVol, printed);
    }
}
