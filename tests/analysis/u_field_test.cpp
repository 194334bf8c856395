// The U field: its tangent-field steps, its flat roots and its fatal paths.
#include <gtest/gtest.h>

#include <regex>

#include "analysis/solver_status.h"
#include "analysis/tangent_fields.h"
#include "analysis/u_field.h"
#include "child_process.h"
#include "fp_traps.h"
#include "geometry/avg_edge_length.h"
#include "geometry/cotmatrix.h"
#include "test_meshes.h"

namespace {
const Eigen::MatrixXi kTriangle = Eigen::RowVector3i(0, 1, 2);

Eigen::SparseMatrix<double> doubledLaplacian(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F) {
    Eigen::SparseMatrix<double> L;
    geometry::cotmatrix(V, F, L);
    return 2.0 * L;
}
}  // namespace

// Per face the mean corner vector, its normal part taken away, normalised: a
// zero tangent stays zero (not NaN); a zero normal takes nothing away. A
// result of the wrong size is fatal.
TEST(TangentFields, ToTheFacesAndBack) {
    const struct {
        Eigen::RowVector3d normal, corner0, tangent;
    } cases[] = {{{0, 0, 1}, {0, 3, 9}, {std::sqrt(0.5), std::sqrt(0.5), 0}},
                 {{0, 0, 1}, {-3, 0, 2}, {0, 0, 0}},
                 {{0, 0, 0}, {-3, 0, 3}, {0, 0, 1}}};
    for (const auto& c : cases) {
        Eigen::MatrixXd X(3, 3), tcurv(1, 3);
        X << c.corner0, 3, 0, 0, 0, 0, 0;  // mean (c.corner0 + (3, 0, 0)) / 3
        computeTCurv(kTriangle, c.normal, X, tcurv);
        EXPECT_LT((tcurv.row(0) - c.tangent).norm(), 1e-15) << tcurv;
    }
    for (auto [rows, cols] : {std::pair{1, 4}, {2, 3}}) {
        Eigen::MatrixXd tcurv(rows, cols);
        const ChildResult r = runInChild([&] {
            computeTCurv(kTriangle, Eigen::RowVector3d(0, 0, 1), Eigen::Matrix3d::Ones(), tcurv);
        });
        EXPECT_EQ(r.exitStatus, 255);
        EXPECT_EQ(r.out, "FATAL ERROR: tcurv is of wrong size\n");
    }
    Eigen::MatrixXd none(0, 3);  // no faces: nothing to do, and no error
    computeTCurv(Eigen::MatrixXi(0, 3), Eigen::MatrixXd(0, 3), Eigen::Matrix3d::Ones(), none);

    // Back to the vertices: vertex 0 gets opposite vectors, vertex 1 one
    // face's vector twice, vertex 4 none; the sums are normalised with no zero
    // test, so 0 and 4 are NaN.
    const TrapsMasked masked;  // 0 / 0 on purpose
    Eigen::MatrixXd W = Eigen::MatrixXd::Constant(5, 3, 9.0);
    faceToVertexField((Eigen::MatrixXi(2, 3) << 0, 1, 1, 0, 2, 3).finished(),
                      (Eigen::MatrixXd(2, 3) << 0, 3, 4, 0, -3, -4).finished(), W);
    EXPECT_LT((W.middleRows(1, 2) - Eigen::Matrix<double, 2, 3>{{0, .6, .8}, {0, -.6, -.8}}).norm(),
              1e-15);
    EXPECT_TRUE(W.row(0).array().isNaN().all() && W.row(4).array().isNaN().all()) << W;
}

// No step (0 or fewer) changes nothing; a vertex no face uses never changes,
// nor does L. On a mesh large enough to be split over threads the steps give
// the plain sparse product's result bit for bit.
TEST(SmoothVectorField, ThePlainStepsOnAnyNumberOfThreads) {
    const auto mesh = test_meshes::icosphere(1.0, 1);
    const Eigen::Index last = mesh.V.rows();
    Eigen::MatrixXd V(last + 1, 3), X = Eigen::RowVector3d(0, 2, -1).replicate(last + 1, 1);
    V << mesh.V, 4, 4, 4;
    X.row(last) << 5, 6, 7;
    const Eigen::SparseMatrix<double> L = doubledLaplacian(V, mesh.F);
    const Eigen::MatrixXd L0 = L.toDense();
    Eigen::MatrixXd Y = X;
    smoothVectorField(Y, 0, 0.5, L);
    smoothVectorField(Y, -3, 0.5, L);
    EXPECT_EQ(Y, X);
    smoothVectorField(Y, 40, 0.5, L);
    EXPECT_TRUE(Y.row(last) == X.row(last) && L.toDense() == L0 && Y.allFinite());

    const auto big = test_meshes::grid(150, 150, 1.0, 1.0);
    const Eigen::SparseMatrix<double> A = 0.5 * doubledLaplacian(big.V, big.F);
    const Eigen::SparseMatrix<double> K = (-1.0 / A.diagonal().array()).matrix().asDiagonal() * A;
    Eigen::MatrixXd reference = Eigen::MatrixXd::Random(A.rows(), 3), smoothed = reference, KX;
    for (int step = 0; step < 7; ++step) {
        KX = K * reference;
        reference += 0.5 * KX;
    }
    smoothVectorField(smoothed, 7, 0.5, 2.0 * A);
    EXPECT_EQ(smoothed, reference);
}

// A flat root has both curvatures 0: the step count is INT_MIN and no step
// runs. Otherwise the count is thirty radii of the root (2 / (|k1| + |k2|))
// in mean edge lengths. A root on a sheet bent by a hair (radius 1e6) asks
// for millions of steps: the count is printed as computed and the run stops
// at the cap. A root on a vessel's flat cap is read as a round end of that
// vessel, whose radius is 1 here. All give a finite field from 0.
TEST(ComputeUField, FlatAndNearlyFlatRoots) {
    const TrapsMasked masked;  // a flat root's step quotient is 2 / 0
    auto bent = test_meshes::grid(16, 16, 4.0, 4.0);
    const auto flat = bent;
    bent.V.col(2) = 1e-6 * bent.V.col(0).array().square();
    const auto tube = test_meshes::cappedCylinder(1.0, 8.0, 61, 48);
    for (const auto& [mesh, root, lines, radius] :
         {std::tuple{flat, 0, std::string("# smoothing iter: -2147483648\n"), 0.0},
          std::tuple{bent, 8 * 17 + 8,
                     std::string("# smoothing iter: [0-9]{7,}\nSmoothing capped at 5000 steps\n"),
                     1e6},
          std::tuple{tube, int(tube.V.rows()) - 2, std::string("# smoothing iter: [0-9]+\n"),
                     1.0}}) {
        Eigen::VectorXd U(3);  // its prior size does not matter
        const ChildResult r = runInChild([&] { computeUField(mesh.V, mesh.F, root, U); });
        EXPECT_EQ(r.exitStatus, 0);
        EXPECT_TRUE(std::regex_match(r.out, std::regex(lines))) << r.out;
        if (radius > 0.0) {
            const double steps = 30.0 * radius / geometry::avg_edge_length(mesh.V, mesh.F);
            EXPECT_NEAR(std::atof(r.out.c_str() + r.out.find(':') + 1), steps, 0.02 * steps);
        }
        computeUField(mesh.V, mesh.F, root, U);
        ASSERT_TRUE(U.size() == mesh.V.rows() && U.allFinite());
        EXPECT_EQ(U.minCoeff(), 0.0);
    }
}

// A NaN corner spoils the heat method's time step; a needle triangle's
// weights (cotangents 1e10 apart) leave the Poisson factorisation a zero
// pivot, which is the solver's failure with its status line.
TEST(ComputeUField, FatalPathsAndSolverLines) {
    const auto sphere = test_meshes::icosphere(1.0, 2);
    Eigen::MatrixXd broken = sphere.V;
    broken(5, 0) = NAN;
    const Eigen::MatrixXd needle{{0.5, 1e10, 0}, {0, 0, 0}, {1, 0, 0}};
    const std::string badRoot = "FATAL ERROR: Assertion failed: root >= 0 && root < V.rows()\n";
    const std::tuple<Eigen::MatrixXd, Eigen::MatrixXi, int, std::string> cases[] = {
        {sphere.V, sphere.F, -1, badRoot},
        {sphere.V, sphere.F, int(sphere.V.rows()), badRoot},
        {broken, sphere.F, 0, "FATAL ERROR: Geodesics in Heat: precompute failed\n"},
        {needle, kTriangle, 1, "SOLVER: numerical issue!\nFATAL ERROR: Solver failed\n"}};
    const TrapsMasked masked;  // the NaN vertex
    for (const auto& [V, F, root, output] : cases) {
        const ChildResult r = runInChild([&] {
            Eigen::VectorXd U;
            computeUField(V, F, root, U);
        });
        EXPECT_EQ(r.exitStatus, 255);
        EXPECT_EQ(r.out, output);
    }
    const ChildResult r = runInChild([] {
        for (int info : {0, 1, 2, 3, 7})
            printSolverStatus(static_cast<Eigen::ComputationInfo>(info));
    });
    EXPECT_EQ(r.out,
              "SOLVER: numerical issue!\nSOLVER: no convergence!\nSOLVER: invalid input!\n"
              "SOLVER: unknown error!\n");
}
