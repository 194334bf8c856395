#include "analysis/skeleton_contraction.h"

#include <Eigen/Sparse>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "analysis/boundary_loops.h"
#include "analysis/contraction_laplacian.h"
#include "analysis/contraction_solver.h"
#include "analysis/normal_equations.h"
#include "analysis/solver_status.h"

namespace {

using SparseMatrix = Eigen::SparseMatrix<double>;

// The share by which the first iteration shrinks a tube of the tree's
// typical radius (see firstContractionWeight): gentle enough that every
// vessel, thin or wide, collapses over the iterations that follow rather
// than in the first, with few solves spent before anything moves.
constexpr double kFirstShare = 3e-4;

double medianOf(std::vector<double>& values) {
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

// The first contraction weight WL. An iteration moves a vertex of a tube of
// radius r inwards by about r b / (1 + b), b = (WL 2A / r^2)^2, A the area
// around the vertex (with the doubled L, L S = 2A (k1 + k2) n and L n =
// 2A n / r^2 on a tube). A tube of the tree's typical radius starts at b =
// kFirstShare, so the same share of the tree contracts in the same
// iteration in any units and at any resolution; thinner vessels go first (b
// grows as 1 / r^4), and every iteration multiplies b by sL^2. The typical
// radius is the median of 1 / |k1 + k2| over the vertices, leaving out
// those flatter than a tenth of the median curvature (flat caps). Where no
// curvature can be read (no area, a flat sheet) WL is 0.001 sqrt(mean A).
double firstContractionWeight(const Eigen::MatrixXd& S, const SparseMatrix& L,
                              const Eigen::VectorXd& A0) {
    const double meanArea = A0.sum() / static_cast<double>(A0.size());
    const double fallback = 0.001 * std::sqrt(meanArea);
    const Eigen::MatrixXd LS = L * S;
    std::vector<double> curvature;
    for (Eigen::Index i = 0; i < S.rows(); ++i)
        if (A0(i) > 0.0 && LS.row(i).allFinite())
            curvature.push_back(LS.row(i).norm() / (2.0 * A0(i)));
    if (curvature.empty()) return fallback;
    const double flat = 0.1 * medianOf(curvature);
    curvature.erase(
        std::remove_if(curvature.begin(), curvature.end(), [&](double k) { return k < flat; }),
        curvature.end());
    const double radius = 1.0 / medianOf(curvature);
    const double weight = std::sqrt(kFirstShare) * radius * radius / (2.0 * meanArea);
    return std::isfinite(weight) && weight > 0.0 ? weight : fallback;
}

void contractClosed(Eigen::MatrixXd& S, const Eigen::MatrixXi& F, double sL, int maxIterations) {
    const Eigen::Index n = S.rows();

    const ContractionLaplacian laplacian(S, F);
    SparseMatrix L;
    laplacian.build(S, L);
    Eigen::VectorXd A0;
    computeVertexAreas(S, F, A0);
    // WL = wl times the identity; WH = the diagonal matrix of wh, whose first
    // values (WH0) are all 1.
    double wl = firstContractionWeight(S, L, A0);
    Eigen::VectorXd wh = Eigen::VectorXd::Ones(n);
    const double vol0 = meshVolume(S, F);
    double volume = vol0;  // of the current points

    // One solver for the run: N's pattern stays the same while no face loses
    // all its area, so its fill-reducing ordering is computed once. Every
    // iteration still factorises its own N from scratch.
    ContractionSolver solver;
    NormalEquations system;

    for (int it = 0; it < maxIterations; ++it) {
        const Eigen::MatrixXd Sprev = S;
        std::printf("Skeletonizing iter %d: ", it);
        std::printf("vol = %f\n", volume);

        system.form(L, wl, wh, S);
        const SparseMatrix& N = system.N();
        const Eigen::MatrixXd& R = system.R();

        const Eigen::ComputationInfo info = solver.solve(N, R, S);
        if (info != Eigen::Success) {
            printSolverStatus(info);
            S = Sprev;
            break;
        }

        const double relErr = solver.lastResidual();
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
        // Contraction only shrinks: a volume that grows is the solve running
        // away once the thin vessels have collapsed (their area weights
        // blow up), and the points after it are thrown far off.
        if (std::abs(vol) > std::abs(volume)) {
            std::printf("vol = %f grew: stopping iterations and using previous point set\n", vol);
            S = Sprev;
            break;
        }

        volume = vol;
        laplacian.build(S, L);
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

}  // namespace

void contractMesh(Eigen::MatrixXd& S, const Eigen::MatrixXi& F, double sL, int maxIterations) {
    Eigen::MatrixXd closedS;
    Eigen::MatrixXi closedF;
    if (!closeBoundaryLoops(S, F, closedS, closedF)) return contractClosed(S, F, sL, maxIterations);
    contractClosed(closedS, closedF, sL, maxIterations);
    S = closedS.topRows(S.rows());
}
