// The contraction's factorise-and-solve step: supernodal Cholesky where the
// system is sound, and exactly the simplicial LDLT's outcome everywhere else.
#include <gtest/gtest.h>

#include <Eigen/SparseCholesky>
#include <cstring>
#include <limits>

#include "analysis/contraction_solver.h"
#include "child_process.h"
#include "geometry/cotmatrix.h"
#include "test_meshes.h"

namespace {

using SparseMatrix = Eigen::SparseMatrix<double>;

// The first iteration's normal matrix on a mesh: 2 L^T w^2 2 L + I.
SparseMatrix normalMatrix(const test_meshes::Mesh& mesh, double w) {
    SparseMatrix L;
    geometry::cotmatrix(mesh.V, mesh.F, L);
    L *= 2.0 * w;
    SparseMatrix I(L.rows(), L.cols());
    I.setIdentity();
    return SparseMatrix(L.transpose() * L) + I;
}

struct LdltOutcome {
    Eigen::ComputationInfo info;
    Eigen::MatrixXd X;
};

LdltOutcome ldlt(const SparseMatrix& N, const Eigen::MatrixXd& R, const Eigen::MatrixXd& X0) {
    LdltOutcome out{Eigen::Success, X0};
    Eigen::SimplicialLDLT<SparseMatrix> solver(N);
    if (solver.info() == Eigen::Success) {
        Eigen::MatrixXd X = solver.solve(R);
        if (solver.info() == Eigen::Success) out.X = X;
    }
    out.info = solver.info();
    return out;
}

SparseMatrix fromDense(const Eigen::MatrixXd& D) {
    return D.sparseView();
}

}  // namespace

// A sound system is solved by CHOLMOD, to rounding what LDLT gives, and a
// second matrix of the same pattern reuses the analysis.
TEST(ContractionSolver, SoundSystemsMatchLdlt) {
    const auto sphere = test_meshes::icosphere(1.0, 3);
    ContractionSolver solver;
    for (double w : {0.01, 0.5, 40.0}) {
        const SparseMatrix N = normalMatrix(sphere, w);
        Eigen::MatrixXd X;
        ASSERT_EQ(solver.solve(N, sphere.V, X), Eigen::Success);
        EXPECT_TRUE(solver.lastUsedCholmod());
        const LdltOutcome reference = ldlt(N, sphere.V, X);
        EXPECT_LT((X - reference.X).norm(), 1e-12 * reference.X.norm()) << w;
        EXPECT_LT((N * X - sphere.V).norm(), 1e-9 * sphere.V.norm()) << w;
    }
}

// Systems CHOLMOD declines take LDLT's way: an indefinite one that LDLT
// solves, a singular one it fails on (X untouched), one with a value that is
// not a number or infinite, and the empty one. Nothing is printed.
TEST(ContractionSolver, DeclinedSystemsGetLdltsOutcome) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    Eigen::MatrixXd indefinite(3, 3), singular(3, 3), notANumber(3, 3), infinite(3, 3);
    indefinite << 2, 1, 0, 1, -3, 1, 0, 1, 4;
    singular << 1, 1, 0, 1, 1, 0, 0, 0, 2;
    notANumber << 2, 0, 0, 0, nan, 0, 0, 0, 2;
    infinite << 2, 1, 0, 1, inf, 0, 0, 0, 2;
    const Eigen::MatrixXd R = (Eigen::MatrixXd(3, 3) << 1, 2, 3, 4, 5, 6, 7, 8, 9).finished();
    const Eigen::MatrixXd X0 = Eigen::MatrixXd::Constant(3, 3, 42.0);

    ChildResult printed = runInChild([&] {
        for (const Eigen::MatrixXd& D : {indefinite, singular, notANumber, infinite}) {
            ContractionSolver solver;
            Eigen::MatrixXd X = X0;
            solver.solve(fromDense(D), R, X);
        }
    });
    EXPECT_EQ(printed.out, "");
    EXPECT_EQ(printed.err, "");

    for (const Eigen::MatrixXd& D : {indefinite, singular, notANumber, infinite}) {
        const SparseMatrix N = fromDense(D);
        ContractionSolver solver;
        Eigen::MatrixXd X = X0;
        const Eigen::ComputationInfo info = solver.solve(N, R, X);
        const LdltOutcome reference = ldlt(N, R, X0);
        EXPECT_FALSE(solver.lastUsedCholmod()) << D;
        EXPECT_EQ(info, reference.info) << D;
        // Bit for bit, not-a-number entries included.
        EXPECT_EQ(0, std::memcmp(X.data(), reference.X.data(), sizeof(double) * X.size())) << D;
    }
    EXPECT_EQ(ldlt(fromDense(indefinite), R, X0).info, Eigen::Success);
    EXPECT_EQ(ldlt(fromDense(singular), R, X0).info, Eigen::NumericalIssue);

    ContractionSolver solver;
    Eigen::MatrixXd X(0, 3);
    EXPECT_EQ(solver.solve(SparseMatrix(0, 0), Eigen::MatrixXd(0, 3), X), Eigen::Success);
    EXPECT_EQ(X.rows(), 0);
}
