// Skeleton contraction: its measures, its console lines, its normal equations
// (formed into a kept pattern, bit for bit the sparse products) and its solver
// (CHOLMOD where the system is sound, exactly LDLT's outcome elsewhere).
#include <gtest/gtest.h>

#include <Eigen/SparseCholesky>
#include <cstring>
#include <regex>
#include <sstream>

#include "analysis/contraction_solver.h"
#include "analysis/normal_equations.h"
#include "analysis/skeleton_contraction.h"
#include "child_process.h"
#include "geometry/cotmatrix.h"
#include "test_meshes.h"
#include "vessel_tree.h"

namespace {

using SparseMatrix = Eigen::SparseMatrix<double>;
const double kNaN = std::numeric_limits<double>::quiet_NaN(), kInf = 1.0 / 0.0;

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

template <typename T>
bool sameBits(const T* a, const T* b, Eigen::Index count) {
    return count == 0 || std::memcmp(a, b, sizeof(T) * count) == 0;
}

SparseMatrix doubledLaplacian(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F) {
    SparseMatrix L;
    geometry::cotmatrix(V, F, L);
    return 2.0 * L;
}

// LDLT's status, and its result in X when it succeeds.
Eigen::ComputationInfo ldlt(const SparseMatrix& N, const Eigen::MatrixXd& R, Eigen::MatrixXd& X) {
    Eigen::SimplicialLDLT<SparseMatrix> solver(N);
    if (solver.info() != Eigen::Success) return solver.info();
    const Eigen::MatrixXd Y = solver.solve(R);
    if (solver.info() == Eigen::Success) X = Y;
    return solver.info();
}

}  // namespace

TEST(ContractionMeasures, VertexAreasAndVolumeBothWays) {
    Eigen::MatrixXd V(4, 3);
    V << 0, 0, 0, 1, 0, 0, 0, 1, 0, 5, 5, 5;  // the last one is used by no face
    Eigen::VectorXd A;
    computeVertexAreas(V, Eigen::RowVector3i(0, 1, 2), A);
    EXPECT_EQ(A, Eigen::Vector4d(1.0 / 6, 1.0 / 6, 1.0 / 6, 0.0));
    const auto cube = test_meshes::cube();
    EXPECT_NEAR(meshVolume(cube.V, cube.F), 1.0, 1e-15);
    EXPECT_NEAR(meshVolume(cube.V, test_meshes::flipped(cube).F), 1.0, 1e-15);
    EXPECT_NEAR(meshVolume(cube.V.rowwise() + Eigen::RowVector3d(-3, 7, 2), cube.F), 1.0, 1e-12);
}

// Points without faces: a solve reproduces them; points all at one place (or
// none) give the residual 0 / 0; a huge sphere collapses in the first solve
// (the input stays); a unit sphere without weight growth (sL = 1) shrinks
// slowly and runs exactly maxIterations solves. Exactly these lines print.
TEST(ContractMesh, ExactLinesOfShortRuns) {
    const Eigen::MatrixXd S = Eigen::Matrix3d::Random();
    const Eigen::MatrixXi none(0, 3);
    const auto huge = test_meshes::icosphere(1e7, 2), unit = test_meshes::icosphere(1.0, 3);
    const std::string zeroVol = "Skeletonizing iter 0: vol = 0\\.000000",
                      err = "Rel\\.error: [0-9]+\\.[0-9]{6}", nanErr = "Rel\\.error: -?nan",
                      tooLarge = "Rel\\.error too large, stopping",
                      next = "Skeletonizing iter [12]: .*",
                      unitVol = "Skeletonizing iter 0: vol = " +
                                std::to_string(meshVolume(unit.V, unit.F)),
                      collapsed = "vol = [0-9.]+: stopping iterations and using previous point set";
    const struct {
        Eigen::MatrixXd S;
        Eigen::MatrixXi F;
        int maxIter;
        double sL;
        std::vector<std::string> lines;  // regular expressions
    } cases[] = {
        {S, none, 1, 5, {zeroVol, "Rel\\.error: 0\\.000000"}},
        {S, none, 0, 5, {}},
        {Eigen::MatrixXd::Zero(3, 3), none, 10, 5, {zeroVol, nanErr, tooLarge}},
        {Eigen::MatrixXd(0, 3), none, 10, 5, {zeroVol, nanErr, tooLarge}},
        {huge.V, huge.F, 10, 5, {"Skeletonizing iter 0: .*", err, collapsed}},
        {unit.V, unit.F, 3, 1, {unitVol, err, next, err, next, err}},
    };
    for (const auto& c : cases) {
        Eigen::MatrixXd T = c.S;
        const auto out = contract(T, c.F, c.maxIter, c.sL);
        ASSERT_EQ(out.size(), c.lines.size()) << c.S.rows();
        for (size_t k = 0; k < out.size(); ++k)
            EXPECT_TRUE(std::regex_match(out[k], std::regex(c.lines[k]))) << out[k];
        EXPECT_TRUE(c.sL == 1 ? meshVolume(T, c.F) < meshVolume(c.S, c.F) : T == c.S);
    }
}

// A tree: iteration lines counting up, each with its residual, at most one
// stop message and that one last; the result is the point set whose volume
// the last begun iteration printed (a stop puts it back) or the tenth one.
TEST(ContractMesh, TreeRunFollowsTheConsoleGrammar) {
    Eigen::MatrixXd V, S;
    Eigen::MatrixXi F;
    vessel_tree::bifurcationMesh(3000, V, F);
    const auto out = contract(S = V, F, 10);
    const std::regex iterLine("Skeletonizing iter ([0-9]+): vol = ([0-9.]+)"),
        errLine("Rel\\.error: [0-9.]+"), stopLine("SOLVER: .*|Rel\\.error too large.*|vol = .*");
    int iterations = 0;
    std::string lastVol;
    bool stopped = false;
    for (size_t k = 0; k < out.size() && !stopped; ++k) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(out[k], m, iterLine)) << out[k];
        EXPECT_EQ(std::stoi(m[1]), iterations++);
        lastVol = m[2];
        if (k + 1 < out.size() && std::regex_match(out[k + 1], errLine)) ++k;
        stopped = k + 1 < out.size() && std::regex_match(out[k + 1], stopLine);
        EXPECT_TRUE(!stopped || k + 2 == out.size()) << "a stop message comes last";
    }
    EXPECT_TRUE(stopped ? iterations <= 10 : iterations == 10);
    EXPECT_LT(meshVolume(S, F), 0.2 * meshVolume(V, F)) << "the tree has not been contracted";
    EXPECT_TRUE(!stopped || lastVol == std::to_string(meshVolume(S, F))) << lastVol;
}

// Iterations as contraction runs them (points move, weights grow and vary,
// then zeros of both signs and non-finite weights), then a new pattern (no
// faces at all) set up afresh and filled in again.
TEST(NormalEquations, KeptPatternGivesTheSparseProductsBitForBit) {
    Eigen::MatrixXd S;
    Eigen::MatrixXi F;
    vessel_tree::bifurcationMesh(3000, S, F);
    const Eigen::Index n = S.rows();
    NormalEquations system;
    const auto formAndCompare = [&](const SparseMatrix& L, double wl, const Eigen::VectorXd& wh,
                                    bool reused) {
        system.form(L, wl, wh, S);
        EXPECT_EQ(system.reusedPattern(), reused);
        SparseMatrix N;
        Eigen::MatrixXd R;
        sparseProductNormalEquations(L, wl, wh, S, N, R);
        const SparseMatrix& M = system.N();
        ASSERT_EQ(M.nonZeros(), N.nonZeros());
        ASSERT_EQ(system.R().size(), R.size());
        EXPECT_TRUE(sameBits(M.outerIndexPtr(), N.outerIndexPtr(), N.outerSize() + 1) &&
                    sameBits(M.innerIndexPtr(), N.innerIndexPtr(), N.nonZeros()) &&
                    sameBits(M.valuePtr(), N.valuePtr(), N.nonZeros()) &&
                    sameBits(system.R().data(), R.data(), R.size()));
    };
    Eigen::VectorXd wh = Eigen::VectorXd::Ones(n);
    for (int it = 0; it < 3; ++it) {
        formAndCompare(doubledLaplacian(S, F), 0.00037 * std::pow(5, it), wh, it > 0);
        S = 0.9 * S + 0.1 * Eigen::MatrixXd::Random(n, 3);
        wh = Eigen::VectorXd::Random(n).cwiseAbs() * 3.0 + Eigen::VectorXd::Ones(n);
    }
    S(0, 0) = 0.0, S(1, 1) = -0.0, wh(2) = 0.0, wh(3) = kInf, wh(4) = kNaN;
    formAndCompare(doubledLaplacian(S, F), 0.2, wh, true);
    formAndCompare(SparseMatrix(n, n), 1.0, wh, false);
    formAndCompare(SparseMatrix(n, n), 2.0, wh, true);
}

// Sound systems (the first iteration's 2 L^T w^2 2 L + I at several w, one
// pattern) go through CHOLMOD and agree with LDLT to rounding. Those CHOLMOD
// declines (indefinite, which LDLT solves; singular, which it fails on; a NaN
// or infinite entry; empty) get LDLT's status and result bit for bit, X
// untouched on failure, and nothing is printed.
TEST(ContractionSolver, CholmodAgreesWithLdltOnSoundAndFailingSystems) {
    const auto sphere = test_meshes::icosphere(1.0, 3);
    ContractionSolver solver;
    for (double w : {0.01, 0.5, 40.0}) {
        const SparseMatrix L = w * doubledLaplacian(sphere.V, sphere.F);
        SparseMatrix N = L.transpose() * L;
        N.diagonal().array() += 1.0;
        Eigen::MatrixXd X, reference;
        ASSERT_EQ(solver.solve(N, sphere.V, X), Eigen::Success);
        EXPECT_TRUE(solver.lastUsedCholmod());
        ASSERT_EQ(ldlt(N, sphere.V, reference), Eigen::Success);
        EXPECT_LT((X - reference).norm(), 1e-12 * reference.norm()) << w;
    }
    Eigen::MatrixXd indefinite(3, 3), singular(3, 3), notANumber(3, 3), infinite(3, 3);
    indefinite << 2, 1, 0, 1, -3, 1, 0, 1, 4;
    singular << 1, 1, 0, 1, 1, 0, 0, 0, 2;
    notANumber << 2, 0, 0, 0, kNaN, 0, 0, 0, 2;
    infinite << 2, 1, 0, 1, kInf, 0, 0, 0, 2;
    const Eigen::MatrixXd R = Eigen::Matrix3d::Random(), X0 = Eigen::Matrix3d::Constant(42);
    for (const Eigen::MatrixXd& D :
         {indefinite, singular, notANumber, infinite, Eigen::MatrixXd(0, 0)}) {
        const SparseMatrix N = D.sparseView();
        Eigen::MatrixXd X = X0.topRows(D.rows()), reference = X;
        ContractionSolver fresh;
        EXPECT_EQ(runInChild([&] { fresh.solve(N, R.topRows(D.rows()), X); }).out, "");
        EXPECT_EQ(fresh.solve(N, R.topRows(D.rows()), X), ldlt(N, R.topRows(D.rows()), reference))
            << D;
        EXPECT_FALSE(fresh.lastUsedCholmod() && D.rows() > 0) << D;
        EXPECT_TRUE(sameBits(X.data(), reference.data(), X.size())) << D;
    }
    Eigen::MatrixXd X = X0;
    EXPECT_EQ(ldlt(singular.sparseView(), R, X), Eigen::NumericalIssue);
    EXPECT_EQ(ldlt(indefinite.sparseView(), R, X), Eigen::Success);
}
