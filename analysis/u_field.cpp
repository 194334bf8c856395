#include "analysis/u_field.h"

#include <Eigen/Sparse>
#include <cmath>
#include <cstdio>
#include <thread>

#include "analysis/curvature_measure.h"
#include "analysis/smoothing_steps.h"
#include "analysis/solver_status.h"
#include "analysis/tangent_fields.h"
#include "geometry/avg_edge_length.h"
#include "geometry/doublearea.h"
#include "geometry/heat_geodesics.h"
#include "geometry/heat_time_step.h"
#include "geometry/per_face_normals.h"
#include "geometry/principal_curvature.h"
#include "platform/fatal.h"

namespace {

// |PV1| + |PV2| at the root, which sets the smoothing steps: 2/r on a
// rounded end of radius r. A root flatter than its own vessel's wall (a flat
// cap, where it is about 0 and the steps would run into the millions) is
// read as a rounded end of that vessel, from the curvature around it.
double rootCurvature(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F, int root, double k1,
                     double k2) {
    const double atRoot = std::abs(k1) + std::abs(k2);
    const double wall = CurvatureMeasure(V, F).around(root);
    return atRoot < wall ? 2.0 * wall : atRoot;
}

[[noreturn]] void solverFailed(Eigen::ComputationInfo info) {
    printSolverStatus(info);
    fatalError("Solver failed");
}

}  // namespace

void computeUField(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F, int root,
                   Eigen::VectorXd& U) {
    MORVIK_ASSERT(root >= 0 && root < V.rows());
    const Eigen::Index faceCount = F.rows();

    // The heat method's factorisations need nothing of the curvature fit:
    // they run beside it.
    const double h = geometry::avg_edge_length(V, F);
    geometry::HeatGeodesicsData data;
    bool precomputed = false;
    std::thread heat([&] {
        precomputed =
            geometry::heat_geodesics_precompute(V, F, geometry::heat_time_step(V, F), data);
    });
    Eigen::MatrixXd PD1, PD2;
    Eigen::VectorXd PV1, PV2;
    geometry::principal_curvature(V, F, PD1, PD2, PV1, PV2, 5, true);
    heat.join();

    Eigen::MatrixXd N;
    geometry::per_face_normals(V, F, Eigen::RowVector3d::Zero(), N);

    Eigen::MatrixXd tcurv(faceCount, 3);
    computeTCurv(F, N, PD1, tcurv);

    if (!precomputed) {
        // The Poisson factorisation made there is this field's solver (see
        // the solve below), so its failure is reported as the solver's, with
        // its status. It ran when it has the mesh's size.
        if (data.poisson.rows() == V.rows() && data.poisson.info() != Eigen::Success)
            solverFailed(data.poisson.info());
        fatalError("Geodesics in Heat: precompute failed");
    }

    Eigen::VectorXd D;
    geometry::heat_geodesics_solve(data, Eigen::VectorXi::Constant(1, root), D);

    // The heat method's gradient operator is this step's G. Column c of gD
    // is the c-th block of G * D; rows are normalised with no zero test (a
    // zero gradient gives NaN, which never flips a tangent).
    const Eigen::SparseMatrix<double>& G = data.Grad;
    const Eigen::VectorXd y = G * D;
    Eigen::MatrixXd gD = Eigen::Map<const Eigen::MatrixXd>(y.data(), faceCount, 3);
    for (Eigen::Index f = 0; f < faceCount; ++f) gD.row(f) /= gD.row(f).norm();

    for (Eigen::Index f = 0; f < faceCount; ++f)
        if (0.0 > tcurv.row(f).dot(gD.row(f))) tcurv.row(f) = -1.0 * tcurv.row(f);

    Eigen::MatrixXd W(V.rows(), 3);
    faceToVertexField(F, tcurv, W);
    // A vertex whose tangents cancel, or that no face uses, comes back NaN;
    // left in, it would spread through every smoothing step into all of U.
    // Zero lets the neighbours fill it in.
    for (Eigen::Index i = 0; i < W.rows(); ++i)
        if (!W.row(i).allFinite()) W.row(i).setZero();

    // The doubled Laplacian of the smoothing is the heat method's, doubled.
    const Eigen::SparseMatrix<double> L = 2.0 * data.L;
    const int n =
        smoothingSteps(((2.0 / rootCurvature(V, F, root, PV1(root), PV2(root))) * 30.0) / h);
    std::printf("# smoothing iter: %d\n", n);
    const int steps = cappedSmoothingSteps(n);
    if (steps < n) std::printf("Smoothing capped at %d steps\n", steps);
    smoothVectorField(W, steps, 0.5, L);

    computeTCurv(F, N, W, tcurv);

    Eigen::VectorXd dblA;
    geometry::doublearea(V, F, dblA);
    Eigen::VectorXd w(3 * faceCount);
    for (Eigen::Index j = 0; j < 3 * faceCount; ++j) w(j) = dblA(j % faceCount) / 6.0;
    const Eigen::SparseMatrix<double> Div = G.transpose() * w.asDiagonal();
    const Eigen::VectorXd b = Div * Eigen::Map<const Eigen::VectorXd>(tcurv.data(), 3 * faceCount);

    // L x = b is the heat method's Poisson system doubled, so its
    // factorisation solves it. The cotangent Laplacian is singular on every
    // piece of the mesh (a constant solves L x = 0); the lowest vertex of each
    // piece is held at 0, which on one piece shifts x by a constant only.
    // The factorisation succeeded (above): what can fail here is a solution
    // that is not finite, a numerical issue.
    if (!geometry::heat_geodesics_poisson_solve(data, 0.5 * b, U))
        solverFailed(Eigen::NumericalIssue);

    const double xmin = U.minCoeff();
    const double xmax = U.maxCoeff();
    const double Dmax = D.maxCoeff();
    for (Eigen::Index i = 0; i < U.size(); ++i) U(i) = Dmax * (1.0 - (U(i) - xmin) / (xmax - xmin));
}
