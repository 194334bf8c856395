#include "analysis/tangent_fields.h"

#include <cmath>
#include <limits>
#include <vector>

#include "analysis/parallel_ranges.h"
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
    // An empty row's factor is -1 / 0, written without dividing by zero.
    for (Eigen::Index i = 0; i < m; ++i) {
        const double a = A.coeff(i, i);
        d(i) = a != 0.0 ? -1.0 / a : -std::numeric_limits<double>::infinity();
    }
    // Rows of K in storage order: each step gathers row by row, and adds the
    // terms of a row in increasing column order, as the column-major sparse
    // product did, so the result is the same bit for bit, on any number of
    // threads. X is kept row by row so that a vertex's vector is contiguous.
    const Eigen::SparseMatrix<double, Eigen::RowMajor> K = d.asDiagonal() * A;
    if (iters <= 0 || X.rows() == 0) return;
    const int rows = static_cast<int>(K.rows());
    const int* start = K.outerIndexPtr();
    const int* column = K.innerIndexPtr();
    const double* weight = K.valuePtr();
    using Field = Eigen::Matrix<double, Eigen::Dynamic, 3, Eigen::RowMajor>;
    Field current = X, next(X.rows(), 3);
    for (int step = 0; step < iters; ++step) {
        parallelRanges(rows, 16384, [&](int first, int last) {
            const double* x = current.data();
            for (int i = first; i < last; ++i) {
                double s0 = 0.0, s1 = 0.0, s2 = 0.0;
                for (int p = start[i]; p < start[i + 1]; ++p) {
                    const double* xj = x + 3 * static_cast<size_t>(column[p]);
                    s0 += weight[p] * xj[0];
                    s1 += weight[p] * xj[1];
                    s2 += weight[p] * xj[2];
                }
                next(i, 0) = x[3 * i] + lambda * s0;
                next(i, 1) = x[3 * i + 1] + lambda * s1;
                next(i, 2) = x[3 * i + 2] + lambda * s2;
            }
        });
        current.swap(next);
    }
    X = current;
}
