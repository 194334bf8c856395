#include "analysis/skeleton_contraction.h"

#include <Eigen/Sparse>
#include <cmath>
#include <cstdio>

#include "analysis/contraction_solver.h"
#include "analysis/normal_equations.h"
#include "analysis/solver_status.h"
#include "geometry/cotmatrix.h"

namespace {

using SparseMatrix = Eigen::SparseMatrix<double>;

// The cotangent Laplacian with every stored value doubled: off-diagonal
// entries are then the plain cotangent weights.
SparseMatrix doubledLaplacian(const Eigen::MatrixXd& S, const Eigen::MatrixXi& F) {
    SparseMatrix L;
    geometry::cotmatrix(S, F, L);
    L *= 2.0;
    return L;
}

}  // namespace

void contractMesh(Eigen::MatrixXd& S, const Eigen::MatrixXi& F, double sL, int maxIterations) {
    const Eigen::Index n = S.rows();

    SparseMatrix L = doubledLaplacian(S, F);
    Eigen::VectorXd A0;
    computeVertexAreas(S, F, A0);
    // WL = wl times the identity; WH = the diagonal matrix of wh, whose first
    // values (WH0) are all 1.
    double wl = 0.001 * std::sqrt(A0.sum() / A0.size());
    Eigen::VectorXd wh = Eigen::VectorXd::Ones(n);
    const double vol0 = meshVolume(S, F);

    // One solver for the run: N's pattern stays the same while no face loses
    // all its area, so its fill-reducing ordering is computed once. Every
    // iteration still factorises its own N from scratch.
    ContractionSolver solver;
    NormalEquations system;

    for (int it = 0; it < maxIterations; ++it) {
        const Eigen::MatrixXd Sprev = S;
        std::printf("Skeletonizing iter %d: ", it);
        std::printf("vol = %f\n", meshVolume(S, F));

        system.form(L, wl, wh, S);
        const SparseMatrix& N = system.N();
        const Eigen::MatrixXd& R = system.R();

        const Eigen::ComputationInfo info = solver.solve(N, R, S);
        if (info != Eigen::Success) {
            printSolverStatus(info);
            S = Sprev;
            break;
        }

        const double relErr = (N * S - R).norm() / R.norm();
        std::printf("Rel.error: %f\n", relErr);
        if (std::isnan(relErr) || relErr > 0.001) {
            std::printf("Rel.error too large, stopping\n");
            S = Sprev;
            break;
        }

        const double vol = meshVolume(S, F);
        const double ratio = vol / vol0;
        if (ratio < 1e-8) {
            std::printf("vol = %f: stopping iterations and using previous point set\n", vol);
            S = Sprev;
            break;
        }
        if (std::isnan(vol) || ratio < 1e-6) {
            std::printf("vol = %f: stopping iterations\n", vol);
            S = Sprev;
            break;
        }

        L = doubledLaplacian(S, F);
        Eigen::VectorXd A;
        computeVertexAreas(S, F, A);
        wl *= sL;
        wh = (A0.array() / A.array()).sqrt().matrix();
        // A vertex without area from the start (used by no face with area)
        // is no part of the surface; 0 / 0 would make its weight, and with it
        // the whole next solve, not a number. It keeps its first weight.
        for (Eigen::Index i = 0; i < n; ++i)
            if (A0(i) == 0.0) wh(i) = 1.0;
    }
}
