// The tangent-field steps of the U field, on hand-made fields.
#include <gtest/gtest.h>

#include "analysis/tangent_fields.h"
#include "child_process.h"
#include "geometry/cotmatrix.h"
#include "test_meshes.h"

TEST(ComputeTCurv, WrongSizeIsFatal) {
    const Eigen::MatrixXi F = (Eigen::MatrixXi(1, 3) << 0, 1, 2).finished();
    const Eigen::MatrixXd N = Eigen::RowVector3d(0, 0, 1), X = Eigen::MatrixXd::Ones(3, 3);
    for (auto [rows, cols] : {std::pair{1, 4}, {2, 3}, {0, 3}, {1, 2}}) {
        Eigen::MatrixXd tcurv(rows, cols);
        const ChildResult r = runInChild([&] { computeTCurv(F, N, X, tcurv); });
        EXPECT_EQ(r.exitStatus, 255);
        EXPECT_EQ(r.out, "FATAL ERROR: tcurv is of wrong size\n");
    }
}

// The mean corner vector, its normal part taken away, normalised: a zero
// tangent stays zero (not NaN); a zero normal takes nothing away.
TEST(ComputeTCurv, ProjectsTheMeanCornerVectorAndNormalises) {
    const Eigen::MatrixXi F = (Eigen::MatrixXi(1, 3) << 0, 1, 2).finished();
    const struct {
        Eigen::RowVector3d normal;
        Eigen::MatrixXd X;
        Eigen::RowVector3d tangent;
    } cases[] = {
        {{0, 0, 1},
         (Eigen::MatrixXd(3, 3) << 3, 0, 5, 0, 0, 1, 0, 3, 3).finished(),
         {std::sqrt(0.5), std::sqrt(0.5), 0}},
        {{0, 0, 1}, (Eigen::MatrixXd(3, 3) << 0, 0, 2, 0, 0, 2, 0, 0, 2).finished(), {0, 0, 0}},
        {{0, 0, 0}, (Eigen::MatrixXd(3, 3) << 0, 0, 3, 0, 0, 3, 0, 0, 3).finished(), {0, 0, 1}},
    };
    for (const auto& c : cases) {
        Eigen::MatrixXd tcurv(1, 3);
        computeTCurv(F, c.normal, c.X, tcurv);
        EXPECT_LT((tcurv.row(0) - c.tangent).norm(), 1e-15) << tcurv;
        EXPECT_TRUE(tcurv.allFinite());
    }
}

// Vertex 0 gets opposite vectors, vertex 1 one face's vector twice, vertex 4
// none: the sums are normalised with no zero test, so 0 and 4 are NaN.
TEST(FaceToVertexField, SumsPerVertexAndNormalisesWithoutZeroTest) {
    const Eigen::MatrixXi F = (Eigen::MatrixXi(2, 3) << 0, 1, 1, 0, 2, 3).finished();
    const Eigen::MatrixXd P = (Eigen::MatrixXd(2, 3) << 0, 3, 4, 0, -3, -4).finished();
    Eigen::MatrixXd W = Eigen::MatrixXd::Constant(5, 3, 9.0);
    faceToVertexField(F, P, W);
    ASSERT_EQ(W.rows(), 5);
    EXPECT_LT((W.row(1) - Eigen::RowVector3d(0, 0.6, 0.8)).norm(), 1e-15);
    EXPECT_LT((W.row(2) - Eigen::RowVector3d(0, -0.6, -0.8)).norm(), 1e-15);
    EXPECT_TRUE(W.row(0).array().isNaN().all() && W.row(4).array().isNaN().all()) << W;
}

// One step moves a vertex halfway to its neighbours' old mean; many make the
// field constant on a connected sphere; a vertex no face uses never changes,
// nor does L; no step (0 or fewer) changes nothing.
TEST(SmoothVectorField, StepsTowardsTheNeighboursMean) {
    const auto mesh = test_meshes::icosphere(1.0, 1);
    Eigen::MatrixXd V(mesh.V.rows() + 1, 3);
    V << mesh.V, 4, 4, 4;
    const Eigen::Index last = V.rows() - 1;
    Eigen::SparseMatrix<double> L;
    geometry::cotmatrix(V, mesh.F, L);
    L *= 2.0;
    const Eigen::MatrixXd L0 = L.toDense();
    const Eigen::RowVector3d u(1, 0, 0), v(0, 2, -1), loose(5, 6, 7);
    Eigen::MatrixXd X(V.rows(), 3);
    X.rowwise() = v;
    X.row(0) = u;
    X.row(last) = loose;
    Eigen::MatrixXd Y = X;
    smoothVectorField(Y, 0, 0.5, L);
    smoothVectorField(Y, -3, 0.5, L);
    EXPECT_EQ(Y, X);
    smoothVectorField(Y, 1, 0.5, L);
    EXPECT_LT((Y.row(0) - (0.5 * u + 0.5 * v)).norm(), 1e-14);
    smoothVectorField(Y, 400, 0.5, L);
    EXPECT_LT((Y.topRows(last).rowwise() - Y.row(0)).cwiseAbs().maxCoeff(), 1e-9);
    EXPECT_EQ(Y.row(last), loose);
    EXPECT_EQ(L.toDense(), L0);
}
