// The tangent-field steps of the U field, on hand-made fields.
#include <gtest/gtest.h>

#include <cmath>

#include "analysis/tangent_fields.h"
#include "child_process.h"
#include "geometry/cotmatrix.h"
#include "test_meshes.h"

namespace {

// One triangle in the plane z = 0 and its normal.
struct FlatTriangle {
    Eigen::MatrixXi F = (Eigen::MatrixXi(1, 3) << 0, 1, 2).finished();
    Eigen::MatrixXd N = (Eigen::MatrixXd(1, 3) << 0, 0, 1).finished();
};

}  // namespace

TEST(ComputeTCurv, WrongSizeIsFatalAndWritesNothing) {
    FlatTriangle t;
    Eigen::MatrixXd X = Eigen::MatrixXd::Ones(3, 3);
    for (auto rows_cols : {std::pair<int, int>{1, 4}, {2, 3}, {0, 3}, {1, 2}}) {
        Eigen::MatrixXd tcurv = Eigen::MatrixXd::Constant(rows_cols.first, rows_cols.second, 7.0);
        ChildResult r = runInChild([&] {
            computeTCurv(t.F, t.N, X, tcurv);
            std::printf("returned\n");
        });
        EXPECT_TRUE(r.exited);
        EXPECT_EQ(r.exitStatus, 255);
        EXPECT_EQ(r.out, "FATAL ERROR: tcurv is of wrong size\n");
    }
    // No faces and a 0 by 3 field: nothing to do, and no error.
    Eigen::MatrixXd empty(0, 3);
    computeTCurv(Eigen::MatrixXi(0, 3), Eigen::MatrixXd(0, 3), X, empty);
    EXPECT_EQ(empty.rows(), 0);
}

TEST(ComputeTCurv, ProjectsTheMeanCornerVectorAndNormalises) {
    FlatTriangle t;
    Eigen::MatrixXd X(3, 3);
    X << 3, 0, 5, 0, 0, 1, 0, 3, 3;  // mean (1, 1, 3): in-plane part (1, 1, 0)
    Eigen::MatrixXd tcurv(1, 3);
    computeTCurv(t.F, t.N, X, tcurv);
    EXPECT_NEAR(tcurv(0, 0), std::sqrt(0.5), 1e-15);
    EXPECT_NEAR(tcurv(0, 1), std::sqrt(0.5), 1e-15);
    EXPECT_EQ(tcurv(0, 2), 0.0);

    // Along the normal only: no tangent, the zero vector (not NaN).
    X.setZero();
    X.col(2).setConstant(2.0);
    computeTCurv(t.F, t.N, X, tcurv);
    EXPECT_EQ(tcurv.row(0), Eigen::RowVector3d::Zero());

    // A degenerate face's zero normal projects nothing away.
    X << 0, 0, 3, 0, 0, 3, 0, 0, 3;
    Eigen::MatrixXd zeroN = Eigen::MatrixXd::Zero(1, 3);
    computeTCurv(t.F, zeroN, X, tcurv);
    EXPECT_EQ(tcurv.row(0), Eigen::RowVector3d(0, 0, 1));
}

TEST(FaceToVertexField, SumsPerVertexAndNormalisesWithoutZeroTest) {
    // Vertex 0 is used by both faces with opposite vectors, vertex 1 by one
    // face twice, vertex 4 by none.
    Eigen::MatrixXi F(2, 3);
    F << 0, 1, 1, 0, 2, 3;
    Eigen::MatrixXd P(2, 3);
    P << 0, 3, 4, 0, -3, -4;
    Eigen::MatrixXd W = Eigen::MatrixXd::Constant(5, 3, 9.0);
    faceToVertexField(F, P, W);
    ASSERT_EQ(W.rows(), 5);
    EXPECT_NEAR((W.row(1) - Eigen::RowVector3d(0, 0.6, 0.8)).norm(), 0.0, 1e-15);
    EXPECT_NEAR((W.row(2) - Eigen::RowVector3d(0, -0.6, -0.8)).norm(), 0.0, 1e-15);
    for (int i : {0, 4})
        for (int k = 0; k < 3; ++k) EXPECT_TRUE(std::isnan(W(i, k))) << i;
}

TEST(SmoothVectorField, StepsTowardsTheNeighboursMean) {
    const auto mesh = test_meshes::icosphere(1.0, 1);
    Eigen::MatrixXd V = mesh.V;
    Eigen::MatrixXi F = mesh.F;
    // One more vertex that no face uses: an empty row, never changed.
    V.conservativeResize(V.rows() + 1, 3);
    V.row(V.rows() - 1) << 4, 4, 4;
    Eigen::SparseMatrix<double> L;
    geometry::cotmatrix(V, F, L);
    L *= 2.0;
    const Eigen::SparseMatrix<double> L0 = L;

    const Eigen::RowVector3d u(1, 0, 0), v(0, 2, -1), loose(5, 6, 7);
    Eigen::MatrixXd X(V.rows(), 3);
    X.rowwise() = v;
    X.row(0) = u;
    X.row(V.rows() - 1) = loose;

    Eigen::MatrixXd Y = X;
    smoothVectorField(Y, 0, 0.5, L);
    EXPECT_EQ(Y, X);
    smoothVectorField(Y, -3, 0.5, L);
    EXPECT_EQ(Y, X);

    smoothVectorField(Y, 1, 0.5, L);
    EXPECT_NEAR((Y.row(0) - (0.5 * u + 0.5 * v)).norm(), 0.0, 1e-14);
    EXPECT_EQ(Y.row(V.rows() - 1), loose);
    // Simultaneous update: vertex 0's neighbours saw the old u, not the new.
    // Many steps converge to a constant field on the (connected) sphere.
    smoothVectorField(Y, 400, 0.5, L);
    for (int i = 1; i + 1 < Y.rows(); ++i) EXPECT_NEAR((Y.row(i) - Y.row(0)).norm(), 0.0, 1e-9);
    EXPECT_EQ(Y.row(V.rows() - 1), loose);
    EXPECT_EQ(L.toDense(), L0.toDense());
}
