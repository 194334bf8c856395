#include "analysis/tangent_fields.h"

#include <cmath>

#include "platform/fatal.h"

void computeTCurv(const Eigen::MatrixXi& F, const Eigen::MatrixXd& N, const Eigen::MatrixXd& X,
                  Eigen::MatrixXd& tcurv) {
    const int faceCount = static_cast<int>(F.rows());
    if (tcurv.rows() != faceCount || tcurv.cols() != 3) fatalError("tcurv is of wrong size");
    if (faceCount < 1) return;

    for (int f = 0; f < faceCount; ++f) {
        const Eigen::RowVectorXd d = (X.row(F(f, 0)) + X.row(F(f, 1)) + X.row(F(f, 2))) / 3.0;
        const double s = N(f, 0) * d(0) + N(f, 1) * d(1) + N(f, 2) * d(2);
        double p[3];
        for (int k = 0; k < 3; ++k) p[k] = d(k) - s * N(f, k);
        const double sq = p[0] * p[0] + p[1] * p[1] + p[2] * p[2];
        // A zero projection has no direction and stays zero (not NaN).
        if (sq > 0.0) {
            const double len = std::sqrt(sq);
            for (double& c : p) c /= len;
        }
        for (int k = 0; k < 3; ++k) tcurv(f, k) = p[k];
    }
}

void faceToVertexField(const Eigen::MatrixXi& F, const Eigen::MatrixXd& P, Eigen::MatrixXd& W) {
    W.setZero();
    const int faceCount = static_cast<int>(F.rows());
    for (int f = 0; f < faceCount; ++f)
        for (int k = 0; k < 3; ++k) W.row(F(f, k)) += P.row(f);
    // No zero test: an unused vertex, or one whose vectors cancel, becomes
    // NaN, and the caller decides what to do with it.
    for (Eigen::Index i = 0; i < W.rows(); ++i) W.row(i) /= W.row(i).norm();
}

void smoothVectorField(Eigen::MatrixXd& X, int iters, double lambda,
                       const Eigen::SparseMatrix<double>& L) {
    Eigen::SparseMatrix<double> A = 0.5 * L;
    // A stored zero is no entry: a vertex that no face uses must keep an
    // empty row (and its vector), whether or not the Laplacian stores a zero
    // diagonal for it; -inf times a stored 0 would make it not a number.
    A.prune([](Eigen::Index, Eigen::Index, double value) { return value != 0.0; });
    const Eigen::Index m = std::min(A.rows(), A.cols());
    Eigen::VectorXd d(m);
    for (Eigen::Index i = 0; i < m; ++i) d(i) = -1.0 / A.coeff(i, i);
    const Eigen::SparseMatrix<double> K = d.asDiagonal() * A;

    Eigen::MatrixXd KX;
    for (int step = 0; step < iters; ++step) {
        KX = K * X;
        X += lambda * KX;
    }
}
