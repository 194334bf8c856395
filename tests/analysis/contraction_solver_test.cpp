// The contraction's linear algebra: normal equations formed into a kept
// pattern are bit for bit the sparse products, and the solver is CHOLMOD
// where the system is sound and exactly LDLT's outcome everywhere else.
#include <gtest/gtest.h>

#include <Eigen/SparseCholesky>
#include <cstring>
#include <limits>

#include "analysis/contraction_solver.h"
#include "analysis/normal_equations.h"
#include "child_process.h"
#include "geometry/cotmatrix.h"
#include "test_meshes.h"
#include "vessel_tree.h"

namespace {

using SparseMatrix = Eigen::SparseMatrix<double>;
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

template <typename T>
bool sameBits(const T* a, const T* b, Eigen::Index count) {
    return count == 0 || std::memcmp(a, b, sizeof(T) * count) == 0;
}

SparseMatrix doubledLaplacian(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F) {
    SparseMatrix L;
    geometry::cotmatrix(V, F, L);
    return 2.0 * L;
}

// Forms the system, then checks its pattern and every value's bits (signed
// zeros and not-a-number included) against the stacked sparse products.
void formAndCompare(NormalEquations& system, const SparseMatrix& L, double wl,
                    const Eigen::VectorXd& wh, const Eigen::MatrixXd& S, bool reused) {
    system.form(L, wl, wh, S);
    EXPECT_EQ(system.reusedPattern(), reused);
    SparseMatrix N;
    Eigen::MatrixXd R;
    sparseProductNormalEquations(L, wl, wh, S, N, R);
    const SparseMatrix& M = system.N();
    ASSERT_EQ(M.nonZeros(), N.nonZeros());
    EXPECT_TRUE(sameBits(M.outerIndexPtr(), N.outerIndexPtr(), N.outerSize() + 1));
    EXPECT_TRUE(sameBits(M.innerIndexPtr(), N.innerIndexPtr(), N.nonZeros()));
    EXPECT_TRUE(sameBits(M.valuePtr(), N.valuePtr(), N.nonZeros()));
    ASSERT_EQ(system.R().size(), R.size());
    EXPECT_TRUE(sameBits(system.R().data(), R.data(), R.size()));
}

// LDLT's status and result (X0 where it fails).
Eigen::ComputationInfo ldlt(const SparseMatrix& N, const Eigen::MatrixXd& R, Eigen::MatrixXd& X) {
    Eigen::SimplicialLDLT<SparseMatrix> solver(N);
    if (solver.info() != Eigen::Success) return solver.info();
    const Eigen::MatrixXd Y = solver.solve(R);
    if (solver.info() == Eigen::Success) X = Y;
    return solver.info();
}

}  // namespace

// Iterations as contraction runs them (points move, weights grow and vary,
// then zeros of both signs and non-finite weights); then new patterns: a
// mesh with a vertex no face uses, and no faces at all.
TEST(NormalEquations, KeptPatternGivesTheSparseProductsBitForBit) {
    Eigen::MatrixXd V;
    Eigen::MatrixXi F;
    vessel_tree::bifurcationMesh(3000, V, F);
    const Eigen::Index n = V.rows();
    NormalEquations system;
    double wl = 0.001 * 0.37;
    Eigen::VectorXd wh = Eigen::VectorXd::Ones(n);
    for (int it = 0; it < 4; ++it) {
        formAndCompare(system, doubledLaplacian(V, F), wl, wh, V, it > 0);
        V = 0.9 * V + 0.1 * Eigen::MatrixXd::Random(n, 3);
        wl *= 5.0;
        wh = Eigen::VectorXd::Random(n).cwiseAbs() * 3.0 + Eigen::VectorXd::Ones(n);
    }
    V(0, 0) = 0.0, V(1, 1) = -0.0, wh(2) = 0.0, wh(3) = kInf, wh(4) = kNaN;
    formAndCompare(system, doubledLaplacian(V, F), wl, wh, V, true);

    const auto sphere = test_meshes::icosphere(1.0, 2);
    Eigen::MatrixXd U(sphere.V.rows() + 1, 3);
    U << sphere.V, 5.0, 5.0, 5.0;
    const Eigen::VectorXd w = Eigen::VectorXd::LinSpaced(U.rows(), 1.0, 2.0);
    formAndCompare(system, doubledLaplacian(U, sphere.F), 0.25, w, U, false);
    formAndCompare(system, doubledLaplacian(U, sphere.F), 1.25, w, 2.0 * U, true);
    formAndCompare(system, SparseMatrix(4, 4), 1.0, w.head(4), U.topRows(4), false);
    formAndCompare(system, SparseMatrix(4, 4), 2.0, w.head(4), U.topRows(4), true);
}

// Sound systems (the first iteration's 2 L^T w^2 2 L + I at several w, one
// pattern) go through CHOLMOD and agree with LDLT to rounding.
TEST(ContractionSolver, SoundSystemsMatchLdlt) {
    const auto sphere = test_meshes::icosphere(1.0, 3);
    ContractionSolver solver;
    for (double w : {0.01, 0.5, 40.0}) {
        const SparseMatrix L = w * doubledLaplacian(sphere.V, sphere.F);
        SparseMatrix I(L.rows(), L.cols());
        I.setIdentity();
        const SparseMatrix N = SparseMatrix(L.transpose() * L) + I;
        Eigen::MatrixXd X, reference;
        ASSERT_EQ(solver.solve(N, sphere.V, X), Eigen::Success);
        EXPECT_TRUE(solver.lastUsedCholmod());
        ASSERT_EQ(ldlt(N, sphere.V, reference), Eigen::Success);
        EXPECT_LT((X - reference).norm(), 1e-12 * reference.norm()) << w;
    }
}

// Systems CHOLMOD declines (indefinite, which LDLT solves; singular, which it
// fails on; a NaN or infinite entry; empty) get LDLT's status and result bit
// for bit, X untouched on failure, and nothing is printed.
TEST(ContractionSolver, DeclinedSystemsGetLdltsOutcome) {
    Eigen::MatrixXd indefinite(3, 3), singular(3, 3), notANumber(3, 3), infinite(3, 3);
    indefinite << 2, 1, 0, 1, -3, 1, 0, 1, 4;
    singular << 1, 1, 0, 1, 1, 0, 0, 0, 2;
    notANumber << 2, 0, 0, 0, kNaN, 0, 0, 0, 2;
    infinite << 2, 1, 0, 1, kInf, 0, 0, 0, 2;
    const Eigen::MatrixXd R = Eigen::MatrixXd::Random(3, 3),
                          X0 = Eigen::MatrixXd::Constant(3, 3, 42);
    const struct {
        Eigen::MatrixXd D;
        Eigen::ComputationInfo info;
    } cases[] = {{indefinite, Eigen::Success},
                 {singular, Eigen::NumericalIssue},
                 {notANumber, Eigen::Success},
                 {infinite, Eigen::Success}};
    for (const auto& c : cases) {
        const SparseMatrix N = c.D.sparseView();
        Eigen::MatrixXd X = X0, reference = X0;
        ContractionSolver solver;
        const ChildResult printed = runInChild([&] { solver.solve(N, R, X); });
        EXPECT_EQ(printed.out + printed.err, "");
        const Eigen::ComputationInfo expected = ldlt(N, R, reference);
        EXPECT_EQ(expected, c.info) << c.D;
        EXPECT_EQ(solver.solve(N, R, X), expected) << c.D;
        EXPECT_FALSE(solver.lastUsedCholmod()) << c.D;
        EXPECT_TRUE(sameBits(X.data(), reference.data(), X.size())) << c.D;
    }
    ContractionSolver solver;
    Eigen::MatrixXd X(0, 3);
    EXPECT_EQ(solver.solve(SparseMatrix(0, 0), Eigen::MatrixXd(0, 3), X), Eigen::Success);
}
