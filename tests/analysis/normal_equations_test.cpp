// The contraction's normal equations, formed straight into a kept pattern,
// are bit for bit those of the stacked sparse products.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "analysis/normal_equations.h"
#include "geometry/cotmatrix.h"
#include "test_meshes.h"
#include "vessel_tree.h"

namespace {

using SparseMatrix = Eigen::SparseMatrix<double>;

template <typename Scalar>
bool sameBits(const Scalar* a, const Scalar* b, Eigen::Index count) {
    return count == 0 || std::memcmp(a, b, sizeof(Scalar) * count) == 0;
}

// Pattern and every value's bits, signed zeros and not-a-number included.
void expectIdentical(const NormalEquations& system, const SparseMatrix& L, double wl,
                     const Eigen::VectorXd& wh, const Eigen::MatrixXd& S) {
    SparseMatrix N;
    Eigen::MatrixXd R;
    sparseProductNormalEquations(L, wl, wh, S, N, R);
    const SparseMatrix& M = system.N();
    ASSERT_EQ(M.rows(), N.rows());
    ASSERT_EQ(M.nonZeros(), N.nonZeros());
    EXPECT_TRUE(sameBits(M.outerIndexPtr(), N.outerIndexPtr(), N.outerSize() + 1));
    EXPECT_TRUE(sameBits(M.innerIndexPtr(), N.innerIndexPtr(), N.nonZeros()));
    EXPECT_TRUE(sameBits(M.valuePtr(), N.valuePtr(), N.nonZeros()));
    ASSERT_EQ(system.R().rows(), R.rows());
    EXPECT_TRUE(sameBits(system.R().data(), R.data(), R.size()));
}

SparseMatrix doubledLaplacian(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F) {
    SparseMatrix L;
    geometry::cotmatrix(V, F, L);
    return 2.0 * L;
}

}  // namespace

// Iterations as contraction runs them: the points move, the weights grow and
// vary per vertex; points and weights with zeros of both signs, and weights
// that are infinite or not a number, as collapsed areas give.
TEST(NormalEquations, KeptPatternGivesTheSparseProductsBitForBit) {
    Eigen::MatrixXd V;
    Eigen::MatrixXi F;
    vessel_tree::bifurcationMesh(3000, V, F);
    const Eigen::Index n = V.rows();
    NormalEquations system;
    Eigen::MatrixXd S = V;
    double wl = 0.001 * 0.37;
    Eigen::VectorXd wh = Eigen::VectorXd::Ones(n);
    for (int it = 0; it < 4; ++it) {
        const SparseMatrix L = doubledLaplacian(S, F);
        system.form(L, wl, wh, S);
        EXPECT_EQ(system.reusedPattern(), it > 0);
        expectIdentical(system, L, wl, wh, S);
        // Move the points and vary the weights for the next round.
        S = 0.9 * S + 0.1 * Eigen::MatrixXd::Random(n, 3);
        wl *= 5.0;
        wh = Eigen::VectorXd::Random(n).cwiseAbs() * 3.0 + Eigen::VectorXd::Ones(n);
    }
    S(0, 0) = 0.0;
    S(1, 1) = -0.0;
    wh(2) = 0.0;
    wh(3) = std::numeric_limits<double>::infinity();
    wh(4) = std::numeric_limits<double>::quiet_NaN();
    const SparseMatrix L = doubledLaplacian(S, F);
    system.form(L, wl, wh, S);
    EXPECT_TRUE(system.reusedPattern());
    expectIdentical(system, L, wl, wh, S);
}

// A new pattern (another mesh, a vertex no face uses, no faces at all) is
// set up afresh, and the next call fills it in.
TEST(NormalEquations, NewPatternIsSetUpAfresh) {
    NormalEquations system;
    const auto sphere = test_meshes::icosphere(1.0, 2);
    Eigen::MatrixXd V(sphere.V.rows() + 1, 3);
    V << sphere.V, 5.0, 5.0, 5.0;  // the last vertex is used by no face
    const Eigen::VectorXd wh = Eigen::VectorXd::LinSpaced(V.rows(), 1.0, 2.0);
    for (const auto& mesh : {test_meshes::cube(), test_meshes::Mesh{V, sphere.F}}) {
        const SparseMatrix L = doubledLaplacian(mesh.V, mesh.F);
        const Eigen::VectorXd w = wh.head(mesh.V.rows());
        system.form(L, 0.25, w, mesh.V);
        EXPECT_FALSE(system.reusedPattern());
        expectIdentical(system, L, 0.25, w, mesh.V);
        system.form(L, 1.25, w, 2.0 * mesh.V);
        EXPECT_TRUE(system.reusedPattern());
        expectIdentical(system, L, 1.25, w, 2.0 * mesh.V);
    }
    const Eigen::MatrixXd points = Eigen::MatrixXd::Random(4, 3);
    const SparseMatrix none(4, 4);
    for (bool reused : {false, true}) {
        system.form(none, 1.0, Eigen::VectorXd::Constant(4, 2.0), points);
        EXPECT_EQ(system.reusedPattern(), reused);
        expectIdentical(system, none, 1.0, Eigen::VectorXd::Constant(4, 2.0), points);
    }
}
