// Skeleton contraction: its measures, console lines, normal equations and solver.
#include <gtest/gtest.h>

#include <Eigen/SparseCholesky>
#include <cstring>
#include <numeric>
#include <regex>
#include <sstream>

#include "analysis/boundary_loops.h"
#include "analysis/contraction_laplacian.h"
#include "analysis/contraction_solver.h"
#include "analysis/normal_equations.h"
#include "analysis/skeleton_contraction.h"
#include "child_process.h"
#include "fp_traps.h"
#include "geometry/cotmatrix.h"
#include "test_meshes.h"
#include "vessel_tree.h"

namespace {

using SparseMatrix = Eigen::SparseMatrix<double>;
const std::string kErrLine = "Rel\\.error: [0-9]+\\.[0-9]{6}",
                  kCollapsed = "vol = [0-9.]+: stopping iterations and using previous point set";

// Contracts S in place; returns the console lines of the same run (a child's).
std::vector<std::string> contract(Eigen::MatrixXd& S, const Eigen::MatrixXi& F, int maxIter,
                                  double sL = 5.0) {
    const ChildResult r = runInChild([&] { contractMesh(S, F, sL, maxIter); });
    EXPECT_TRUE(r.exitStatus == 0 && r.err.empty());
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
    Eigen::VectorXd A;  // the last vertex is used by no face
    computeVertexAreas(Eigen::Matrix<double, 4, 3>{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {5, 5, 5}},
                       Eigen::RowVector3i(0, 1, 2), A);
    EXPECT_EQ(A, Eigen::Vector4d(1.0 / 6, 1.0 / 6, 1.0 / 6, 0.0));
    const auto cube = test_meshes::cube();
    EXPECT_NEAR(meshVolume(cube.V, cube.F), 1.0, 1e-15);
    EXPECT_NEAR(meshVolume(cube.V, test_meshes::flipped(cube).F), 1.0, 1e-15);
    EXPECT_NEAR(meshVolume(cube.V.rowwise() + Eigen::RowVector3d(-3, 7, 2), cube.F), 1.0, 1e-12);
}

// Points without faces: a solve reproduces them; points all at one place (or
// none) give the residual 0 / 0. A sphere whose weights grow a hundredfold
// per iteration shrinks in its third solve to between 1e-8 and 1e-6 of its
// volume, at twice that to below 1e-8: each stop has its line, and the
// point set of the second solve stays. Without weight growth (sL = 1) it
// shrinks slowly and runs exactly maxIterations solves. Exactly these lines.
TEST(ContractMesh, ExactLinesOfShortRuns) {
    const Eigen::MatrixXd S = Eigen::Matrix3d::Random();
    const Eigen::MatrixXi none(0, 3);
    const auto sphere = test_meshes::icosphere(100.0, 2), unit = test_meshes::icosphere(1.0, 3);
    const std::string zeroVol = "Skeletonizing iter 0: vol = 0\\.000000",
                      iter = "Skeletonizing iter [0-9]: vol = [0-9.]+",
                      unitVol = "Skeletonizing iter 0: vol = " +
                                std::to_string(meshVolume(unit.V, unit.F));
    const std::vector<std::string> degenerate = {zeroVol, "Rel\\.error: -?nan",
                                                 "Rel\\.error too large, stopping"};
    const struct {
        Eigen::MatrixXd S;
        Eigen::MatrixXi F;
        int maxIter;
        double sL;
        std::vector<std::string> lines;  // regular expressions
    } cases[] = {
        {S, none, 1, 5, {zeroVol, "Rel\\.error: 0\\.000000"}},
        {S, none, 0, 5, {}},
        {Eigen::MatrixXd::Zero(3, 3), none, 10, 5, degenerate},
        {Eigen::MatrixXd(0, 3), none, 10, 5, degenerate},
        {sphere.V,
         sphere.F,
         10,
         100,
         {iter, kErrLine, iter, kErrLine, iter, kErrLine, "vol = [0-9.]+: stopping iterations"}},
        {sphere.V, sphere.F, 10, 200, {iter, kErrLine, iter, kErrLine, iter, kErrLine, kCollapsed}},
        {unit.V, unit.F, 3, 1, {unitVol, kErrLine, iter, kErrLine, iter, kErrLine}},
    };
    for (const auto& c : cases) {
        Eigen::MatrixXd T = c.S;
        const TrapsMasked masked;  // no faces: no volume, so 0 / 0
        const auto out = contract(T, c.F, c.maxIter, c.sL);
        ASSERT_EQ(out.size(), c.lines.size()) << c.S.rows() << " " << c.sL;
        for (size_t k = 0; k < out.size(); ++k)
            EXPECT_TRUE(std::regex_match(out[k], std::regex(c.lines[k]))) << out[k];
        EXPECT_TRUE(c.F.rows() > 0 || T == c.S);
        EXPECT_TRUE(c.sL != 1 || meshVolume(T, c.F) < meshVolume(c.S, c.F));
        if (c.sL < 100) continue;  // the second solve's volume, printed in the third's line
        EXPECT_EQ(out[4], "Skeletonizing iter 2: vol = " + std::to_string(meshVolume(T, c.F)));
        const double ratio = std::stod(out.back().substr(6)) / meshVolume(c.S, c.F);
        EXPECT_TRUE(c.sL == 100 ? ratio >= 1e-8 && ratio < 1e-6 : ratio < 1e-8) << ratio;
    }
}

// Iterations as contraction runs them (points move, weights grow and vary,
// then signed zeros and non-finite weights), then a new pattern (no faces).
TEST(NormalEquations, KeptPatternGivesTheSparseProductsBitForBit) {
    Eigen::MatrixXd S;
    Eigen::MatrixXi F;
    vessel_tree::bifurcationMesh(3000, S, F);
    const Eigen::Index n = S.rows();
    NormalEquations system;
    Eigen::VectorXd wh = Eigen::VectorXd::Ones(n);
    const TrapsMasked masked;  // non-finite weights, on purpose
    for (int it = 0; it < 5; ++it) {
        if (it == 2) S(0, 0) = 0.0, S(1, 1) = -0.0, wh(2) = 0.0, wh(3) = INFINITY, wh(4) = NAN;
        const SparseMatrix L = it < 3 ? doubledLaplacian(S, F) : SparseMatrix(n, n);
        const double wl = 0.00037 * std::pow(5, it);
        system.form(L, wl, wh, S);
        EXPECT_EQ(system.reusedPattern(), it != 0 && it != 3) << it;
        SparseMatrix N;
        Eigen::MatrixXd R;
        sparseProductNormalEquations(L, wl, wh, S, N, R);
        const SparseMatrix& M = system.N();
        ASSERT_TRUE(M.nonZeros() == N.nonZeros() && system.R().size() == R.size()) << it;
        EXPECT_TRUE(sameBits(M.outerIndexPtr(), N.outerIndexPtr(), N.outerSize() + 1) &&
                    sameBits(M.innerIndexPtr(), N.innerIndexPtr(), N.nonZeros()) &&
                    sameBits(M.valuePtr(), N.valuePtr(), N.nonZeros()) &&
                    sameBits(system.R().data(), R.data(), R.size()))
            << it;
        if (it >= 2) continue;
        S = 0.9 * S + 0.1 * Eigen::MatrixXd::Random(n, 3);
        wh = Eigen::VectorXd::Random(n).cwiseAbs() * 3.0 + Eigen::VectorXd::Ones(n);
    }
}

// Sound systems (the first iteration's, one pattern) go through CHOLMOD and
// agree with LDLT to rounding. Those CHOLMOD declines (indefinite, singular,
// NaN, infinite, empty) get LDLT's status and result bit for bit (X untouched
// on failure), and nothing is printed.
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
    using M3 = Eigen::Matrix3d;
    const TrapsMasked masked;  // non-finite systems, on purpose
    const std::pair<Eigen::MatrixXd, Eigen::ComputationInfo> cases[] = {
        {M3{{2, 1, 0}, {1, -3, 1}, {0, 1, 4}}, Eigen::Success},
        {M3{{1, 1, 0}, {1, 1, 0}, {0, 0, 2}}, Eigen::NumericalIssue},
        {M3{{2, 0, 0}, {0, NAN, 0}, {0, 0, 2}}, Eigen::Success},
        {M3{{2, 1, 0}, {1, INFINITY, 0}, {0, 0, 2}}, Eigen::Success},
        {Eigen::MatrixXd(0, 0), Eigen::Success}};
    for (const auto& [D, info] : cases) {
        const SparseMatrix N = D.sparseView();
        const Eigen::MatrixXd R = Eigen::MatrixXd::Random(D.rows(), 3);
        Eigen::MatrixXd X = Eigen::MatrixXd::Constant(D.rows(), 3, 42.0), reference = X;
        ContractionSolver fresh;
        EXPECT_EQ(runInChild([&] { fresh.solve(N, R, X); }).out, "");
        EXPECT_EQ(fresh.solve(N, R, X), info) << D;
        EXPECT_EQ(ldlt(N, R, reference), info) << D;
        EXPECT_FALSE(fresh.lastUsedCholmod() && D.rows() > 0) << D;
        EXPECT_TRUE(sameBits(X.data(), reference.data(), X.size())) << D;
    }
}

// On well-shaped triangles the contraction's Laplacian is twice the
// cotangent Laplacian, bit for bit. Slivers of the input (a vertex a hair
// from its neighbour) weigh their edges as an equilateral triangle would; a
// face crushed to a millionth of its input area weighs nothing. Rows sum to 0.
TEST(ContractionLaplacian, SliversAndCrushedFacesAside) {
    const auto grid = test_meshes::grid(4, 4, 1.0, 1.0);
    auto m = grid;
    SparseMatrix L, reference = doubledLaplacian(m.V, m.F);
    ContractionLaplacian(m.V, m.F).build(m.V, L);
    ASSERT_EQ(L.nonZeros(), reference.nonZeros());
    EXPECT_TRUE(sameBits(L.valuePtr(), reference.valuePtr(), L.nonZeros()));
    m.V.row(6) = m.V.row(7) + Eigen::RowVector3d(-1e-4, 2e-5, 0);
    const ContractionLaplacian slivers(m.V, m.F);
    slivers.build(m.V, L);
    EXPECT_GT(doubledLaplacian(m.V, m.F).coeffs().cwiseAbs().maxCoeff(), 1e3);
    EXPECT_LT(L.coeffs().cwiseAbs().maxCoeff(), 10.0);
    EXPECT_LT((L * Eigen::VectorXd::Ones(L.cols())).cwiseAbs().maxCoeff(), 1e-12);
    Eigen::MatrixXd S = grid.V;
    S.row(m.F(0, 2)) = 0.5 * (S.row(m.F(0, 0)) + S.row(m.F(0, 1))) + Eigen::RowVector3d(0, 0, 1e-8);
    ContractionLaplacian(grid.V, grid.F).build(S, L);
    std::vector<int> rest(m.F.rows() - 1);
    std::iota(rest.begin(), rest.end(), 1);
    reference = doubledLaplacian(S, grid.F(rest, Eigen::all));
    EXPECT_LT((L.toDense() - reference.toDense()).cwiseAbs().maxCoeff(), 1e-12);
}

// An open tube gets its two rims closed by fans at their centres, turned as
// the tube's faces are; a closed mesh has nothing to close.
TEST(CloseBoundaryLoops, OpenTubeComesOutClosedAndOneWayRound) {
    const auto tube = test_meshes::cylinder(1.0, 3.0, 6, 12);
    const Eigen::Index n = tube.V.rows();
    Eigen::MatrixXd V;
    Eigen::MatrixXi F;
    ASSERT_TRUE(closeBoundaryLoops(tube.V, tube.F, V, F));
    ASSERT_EQ(V.rows(), n + 2);
    EXPECT_TRUE(V.topRows(n) == tube.V && F.topRows(tube.F.rows()) == tube.F);
    EXPECT_LT((V.bottomRows(2) - Eigen::Matrix<double, 2, 3>{{0, 0, 0}, {0, 0, 3}}).norm(), 1e-12);
    const vessel_tree::MeshReport report = vessel_tree::checkMesh(V, F);
    EXPECT_TRUE(report.closedManifold() && report.components == 1);
    const auto sphere = test_meshes::icosphere(1.0, 1);
    EXPECT_FALSE(closeBoundaryLoops(sphere.V, sphere.F, V, F));
}
