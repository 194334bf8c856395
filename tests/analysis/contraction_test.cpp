// Skeleton contraction, its two measures and its console lines.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "analysis/skeleton_contraction.h"
#include "child_process.h"
#include "test_meshes.h"
#include "vessel_tree.h"

namespace {

// Contracts S in place; returns the console lines of the same run (a child's).
std::vector<std::string> contract(Eigen::MatrixXd& S, const Eigen::MatrixXi& F, int maxIter,
                                  double sL = 5.0) {
    const ChildResult r = runInChild([&] { contractMesh(S, F, sL, maxIter); });
    EXPECT_EQ(r.exitStatus, 0);
    EXPECT_EQ(r.err, "");
    contractMesh(S, F, sL, maxIter);
    std::vector<std::string> out;
    std::istringstream in(r.out);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

std::string sixDigits(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%f", value);
    return text;
}

const std::regex kIterLine("Skeletonizing iter ([0-9]+): vol = ([0-9]+\\.[0-9]{6})");
const std::regex kErrLine("Rel\\.error: [0-9]+\\.[0-9]{6}");

}  // namespace

TEST(ContractionMeasures, VertexAreasAndVolumeBothWays) {
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
}

// Points without faces: a solve reproduces them; points all at one place (or
// none) give the residual 0 / 0; a huge sphere collapses in the first solve
// (the input stays); a unit sphere without weight growth shrinks slowly and
// runs exactly maxIterations solves. Each run prints exactly these lines.
TEST(ContractMesh, ExactLinesOfShortRuns) {
    Eigen::MatrixXd S(3, 3);
    S << 1, 2, 3, -4, 5, 6, 7, -8, 9;
    const Eigen::MatrixXi none(0, 3);
    const auto huge = test_meshes::icosphere(1e7, 2), unit = test_meshes::icosphere(1.0, 3);
    const std::string
        zeroVol = "Skeletonizing iter 0: vol = 0\\.000000",
        err = "Rel\\.error: [0-9.]+", nanErr = "Rel\\.error: -?nan",
        tooLarge = "Rel\\.error too large, stopping", iterLine = "Skeletonizing iter [12]: .*",
        unitVol = "Skeletonizing iter 0: vol = " + sixDigits(meshVolume(unit.V, unit.F)),
        collapsed = "vol = [0-9]+\\.[0-9]{6}: stopping iterations and using previous point set";
    const struct {
        Eigen::MatrixXd S;
        Eigen::MatrixXi F;
        int maxIter;
        double sL;                       // 1: no weight growth
        std::vector<std::string> lines;  // regular expressions
    } cases[] = {
        {S, none, 1, 5, {zeroVol, "Rel\\.error: 0\\.000000"}},
        {S, none, 0, 5, {}},
        {Eigen::MatrixXd::Zero(3, 3), none, 10, 5, {zeroVol, nanErr, tooLarge}},
        {Eigen::MatrixXd(0, 3), none, 10, 5, {zeroVol, nanErr, tooLarge}},
        {huge.V, huge.F, 10, 5, {"Skeletonizing iter 0: .*", err, collapsed}},
        {unit.V, unit.F, 3, 1, {unitVol, err, iterLine, err, iterLine, err}},
    };
    for (const auto& c : cases) {
        Eigen::MatrixXd T = c.S;
        const auto out = contract(T, c.F, c.maxIter, c.sL);
        ASSERT_EQ(out.size(), c.lines.size()) << c.S.rows();
        for (size_t k = 0; k < out.size(); ++k)
            EXPECT_TRUE(std::regex_match(out[k], std::regex(c.lines[k]))) << out[k];
        if (c.sL == 1) {
            EXPECT_LT(meshVolume(T, c.F), meshVolume(c.S, c.F));
        } else {
            EXPECT_EQ(T, c.S);
        }
    }
}

// A tree: iteration lines counting up, each with its residual, at most one
// stop message and that one last; the result is the point set whose volume
// the last begun iteration printed (a stop puts it back) or the tenth one.
TEST(ContractMesh, TreeRunFollowsTheConsoleGrammar) {
    Eigen::MatrixXd V;
    Eigen::MatrixXi F;
    vessel_tree::bifurcationMesh(3000, V, F);
    Eigen::MatrixXd S = V;
    const auto out = contract(S, F, 10);
    const std::regex stopLine(
        "SOLVER: .*|Rel\\.error too large, stopping|vol = .*: stopping iterations.*");
    int iterations = 0;
    std::string lastVol;
    bool stopped = false;
    for (size_t k = 0; k < out.size() && !stopped; ++k) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(out[k], m, kIterLine)) << out[k];
        EXPECT_EQ(std::stoi(m[1]), iterations++);
        lastVol = m[2];
        if (k + 1 < out.size() && std::regex_match(out[k + 1], kErrLine)) ++k;
        stopped = k + 1 < out.size() && std::regex_match(out[k + 1], stopLine);
        EXPECT_TRUE(!stopped || k + 2 == out.size()) << "a stop message comes last";
    }
    EXPECT_TRUE(stopped ? iterations <= 10 : iterations == 10);
    EXPECT_LT(meshVolume(S, F), 0.2 * meshVolume(V, F)) << "the tree has not been contracted";
    EXPECT_TRUE(!stopped || lastVol == sixDigits(meshVolume(S, F))) << lastVol;
}
