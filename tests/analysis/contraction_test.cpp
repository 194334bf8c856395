// Skeleton contraction: console lines, normal equations, solver, Laplacian.
#include <gtest/gtest.h>

#include <Eigen/SparseCholesky>
#include <cstring>
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

SparseMatrix doubledLaplacian(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F) {
    SparseMatrix L;
    geometry::cotmatrix(V, F, L);
    return 2.0 * L;
}

template <typename T>
bool sameBits(const T* a, const T* b, Eigen::Index count) {
    return count == 0 || std::memcmp(a, b, sizeof(T) * count) == 0;
}
bool sameBits(const Eigen::MatrixXd& A, const Eigen::MatrixXd& B) {
    return A.size() == B.size() && sameBits(A.data(), B.data(), A.size());
}
bool sameBits(const SparseMatrix& A, const SparseMatrix& B) {  // pattern and values
    return A.nonZeros() == B.nonZeros() && A.outerSize() == B.outerSize() &&
           sameBits(A.outerIndexPtr(), B.outerIndexPtr(), A.outerSize() + 1) &&
           sameBits(A.innerIndexPtr(), B.innerIndexPtr(), A.nonZeros()) &&
           sameBits(A.valuePtr(), B.valuePtr(), A.nonZeros());
}

}  // namespace

// Points without faces: a solve reproduces them; points all at one place (or
// none) give the residual 0 / 0. A sphere with weights growing fiftyfold
// shrinks in its third solve to 1e-8..1e-6 of its volume, at twice that to
// below 1e-8: each stop has its line, and the second solve's points stay.
// Without growth (sL = 1) it runs exactly maxIterations solves.
TEST(ContractMesh, ExactLinesOfShortRuns) {
    const Eigen::MatrixXd S = Eigen::Matrix3d::Random();
    const Eigen::MatrixXi none(0, 3);
    const auto sphere = test_meshes::icosphere(100.0, 2), unit = test_meshes::icosphere(1.0, 3);
    const std::string zero = "Skeletonizing iter 0: vol = 0\\.000000", err = "Rel\\.error: [0-9.]+",
                      iter = "Skeletonizing iter [0-9]: vol = [0-9.]+", stop = "vol = [0-9.]+: ";
    const std::vector<std::string> degenerate = {zero, "Rel\\.error: -?nan",
                                                 "Rel\\.error too large, stopping"};
    const struct {
        Eigen::MatrixXd S;
        Eigen::MatrixXi F;
        int maxIter;
        double sL;
        std::vector<std::string> lines;  // regular expressions
    } cases[] = {
        {S, none, 1, 5, {zero, "Rel\\.error: 0\\.000000"}},
        {S, none, 0, 5, {}},
        {Eigen::MatrixXd::Zero(3, 3), none, 10, 5, degenerate},
        {Eigen::MatrixXd(0, 3), none, 10, 5, degenerate},
        {sphere.V,
         sphere.F,
         10,
         50,
         {iter, err, iter, err, iter, err, stop + "stopping iterations"}},
        {sphere.V,
         sphere.F,
         10,
         100,
         {iter, err, iter, err, iter, err,
          stop + "stopping iterations and using previous point set"}},
        {unit.V, unit.F, 3, 1, {iter, err, iter, err, iter, err}},
    };
    const TrapsMasked masked;  // no faces: no volume, so 0 / 0
    for (const auto& c : cases) {
        Eigen::MatrixXd T = c.S;
        const ChildResult r = runInChild([&] { contractMesh(T, c.F, c.sL, c.maxIter); });
        contractMesh(T, c.F, c.sL, c.maxIter);
        std::vector<std::string> out;
        std::istringstream in(r.out);
        for (std::string line; std::getline(in, line);) out.push_back(line);
        ASSERT_EQ(out.size(), c.lines.size()) << r.out;
        for (size_t k = 0; k < out.size(); ++k)
            EXPECT_TRUE(std::regex_match(out[k], std::regex(c.lines[k]))) << out[k];
        EXPECT_TRUE(c.F.rows() > 0 || T == c.S);
        EXPECT_TRUE(c.sL != 1 || meshVolume(T, c.F) < meshVolume(c.S, c.F));
        if (c.sL < 50) continue;  // the second solve's volume, printed in the third's line
        EXPECT_EQ(out[4], "Skeletonizing iter 2: vol = " + std::to_string(meshVolume(T, c.F)));
        const double ratio = std::stod(out.back().substr(6)) / meshVolume(c.S, c.F);
        EXPECT_TRUE(c.sL == 50 ? ratio >= 1e-8 && ratio < 1e-6 : ratio < 1e-8) << ratio;
    }
}

// Iterations as contraction runs them (points move, weights grow and vary,
// then signed zeros and non-finite weights), then a new pattern (no faces):
// the kept pattern is filled with the sparse products' values bit for bit.
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
        EXPECT_TRUE(sameBits(system.N(), N) && sameBits(system.R(), R)) << it;
        if (it >= 2) continue;
        S = 0.9 * S + 0.1 * Eigen::MatrixXd::Random(n, 3);
        wh = Eigen::VectorXd::Random(n).cwiseAbs() * 3.0 + Eigen::VectorXd::Ones(n);
    }
}

// The systems CHOLMOD declines (indefinite, singular, NaN, infinite, empty)
// get LDLT's status and result (X untouched on failure), and nothing is
// printed; sound ones go through CHOLMOD and agree with LDLT.
TEST(ContractionSolver, CholmodAgreesWithLdltOnSoundAndFailingSystems) {
    const auto ldlt = [](const SparseMatrix& N, const Eigen::MatrixXd& R, Eigen::MatrixXd& X) {
        Eigen::SimplicialLDLT<SparseMatrix> solver(N);
        const Eigen::MatrixXd Y = solver.info() == Eigen::Success ? solver.solve(R) : X;
        if (solver.info() == Eigen::Success) X = Y;
        return solver.info();
    };
    using M3 = Eigen::Matrix3d;
    const TrapsMasked masked;  // non-finite systems, on purpose
    const std::tuple<Eigen::MatrixXd, Eigen::ComputationInfo, bool> cases[] = {
        {M3{{2, 1, 0}, {1, 2, 1}, {0, 1, 2}}, Eigen::Success, true},
        {M3{{2, 1, 0}, {1, -3, 1}, {0, 1, 4}}, Eigen::Success, false},
        {M3{{1, 1, 0}, {1, 1, 0}, {0, 0, 2}}, Eigen::NumericalIssue, false},
        {M3{{2, 0, 0}, {0, NAN, 0}, {0, 0, 2}}, Eigen::Success, false},
        {M3{{2, 1, 0}, {1, INFINITY, 0}, {0, 0, 2}}, Eigen::Success, false},
        {Eigen::MatrixXd(0, 0), Eigen::Success, false}};
    for (const auto& [D, info, cholmod] : cases) {
        const SparseMatrix N = D.sparseView();
        const Eigen::MatrixXd R = Eigen::MatrixXd::Random(D.rows(), 3);
        Eigen::MatrixXd X = Eigen::MatrixXd::Constant(D.rows(), 3, 42.0), reference = X;
        ContractionSolver solver;
        EXPECT_EQ(runInChild([&] { solver.solve(N, R, X); }).out, "");
        EXPECT_EQ(solver.solve(N, R, X), info) << D;
        EXPECT_EQ(ldlt(N, R, reference), info) << D;
        EXPECT_EQ(solver.lastUsedCholmod(), cholmod) << D;
        EXPECT_TRUE(cholmod ? X.isApprox(reference, 1e-12) : sameBits(X, reference)) << D;
    }
}

// On well-shaped triangles the contraction's Laplacian is twice the
// cotangent one, bit for bit. Slivers of the input (a vertex a hair from its
// neighbour) weigh their edges as an equilateral triangle would; a face
// crushed to a hundred millionth of its input area weighs nothing.
TEST(ContractionLaplacian, SliversAndCrushedFacesAside) {
    const auto grid = test_meshes::grid(4, 4, 1.0, 1.0);
    auto m = grid;
    SparseMatrix L;
    ContractionLaplacian(m.V, m.F).build(m.V, L);
    EXPECT_TRUE(sameBits(L, doubledLaplacian(m.V, m.F)));
    m.V.row(6) = m.V.row(7) + Eigen::RowVector3d(-1e-4, 2e-5, 0);
    ContractionLaplacian(m.V, m.F).build(m.V, L);
    EXPECT_TRUE(doubledLaplacian(m.V, m.F).coeffs().cwiseAbs().maxCoeff() > 1e3 &&
                L.coeffs().cwiseAbs().maxCoeff() < 10.0);
    EXPECT_LT((L * Eigen::VectorXd::Ones(L.cols())).cwiseAbs().maxCoeff(), 1e-12);
    m.V = grid.V;
    m.V.row(m.F(0, 2)) =
        0.5 * (m.V.row(m.F(0, 0)) + m.V.row(m.F(0, 1))) + Eigen::RowVector3d(0, 0, 1e-8);
    ContractionLaplacian(grid.V, grid.F).build(m.V, L);
    EXPECT_LT((L - doubledLaplacian(m.V, m.F.bottomRows(m.F.rows() - 1))).cwiseAbs().sum(), 1e-12);
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
    EXPECT_TRUE(vessel_tree::checkMesh(V, F).closedManifold());
    const auto sphere = test_meshes::icosphere(1.0, 1);
    EXPECT_FALSE(closeBoundaryLoops(sphere.V, sphere.F, V, F));
}
