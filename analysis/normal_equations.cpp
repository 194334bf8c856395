#include "analysis/normal_equations.h"

#include <algorithm>

#include "geometry/cat.h"

namespace {

using SparseMatrix = Eigen::SparseMatrix<double>;
using RowMajorMatrix = Eigen::SparseMatrix<double, Eigen::RowMajor>;

SparseMatrix diagonalMatrix(const Eigen::VectorXd& d) {
    SparseMatrix D(d.size(), d.size());
    // Eigen's makeCompressed after reserve runs past the index arrays of an
    // empty matrix.
    if (d.size() == 0) return D;
    D.reserve(Eigen::VectorXi::Constant(d.size(), 1));
    for (Eigen::Index i = 0; i < d.size(); ++i) D.insert(i, i) = d(i);
    D.makeCompressed();
    return D;
}

}  // namespace

void sparseProductNormalEquations(const SparseMatrix& L, double wl, const Eigen::VectorXd& wh,
                                  const Eigen::MatrixXd& S, SparseMatrix& N, Eigen::MatrixXd& R) {
    const Eigen::Index n = L.rows();
    const SparseMatrix WL = diagonalMatrix(Eigen::VectorXd::Constant(n, wl));
    const SparseMatrix WH = diagonalMatrix(wh);
    SparseMatrix K, B;
    geometry::cat(1, SparseMatrix(WL * L), WH, K);
    const Eigen::MatrixXd WHS = WH * S;
    geometry::cat(1, SparseMatrix(n, S.cols()), WHS.sparseView(), B);
    const SparseMatrix Kt = K.transpose();
    N = Kt * K;
    R = Eigen::MatrixXd(Kt * B);
}

void NormalEquations::form(const SparseMatrix& L, double wl, const Eigen::VectorXd& wh,
                           const Eigen::MatrixXd& S) {
    reused_ = samePatternAsBefore(L) && refill(L, wl, wh);
    if (!reused_) {
        sparseProductNormalEquations(L, wl, wh, S, N_, R_);
        lOuter_.assign(L.outerIndexPtr(), L.outerIndexPtr() + L.outerSize() + 1);
        lInner_.assign(L.innerIndexPtr(), L.innerIndexPtr() + L.nonZeros());
        return;
    }
    // R = WH·(WH·S) on the rows and columns where WH·S is not zero (a sparse
    // B holds no zeros), 0 elsewhere.
    R_.resize(S.rows(), S.cols());
    for (Eigen::Index c = 0; c < S.cols(); ++c)
        for (Eigen::Index i = 0; i < S.rows(); ++i) {
            const double whs = wh(i) * S(i, c);
            R_(i, c) = whs != 0.0 ? wh(i) * whs : 0.0;
        }
}

bool NormalEquations::samePatternAsBefore(const SparseMatrix& L) const {
    if (lOuter_.empty() || !L.isCompressed() || L.rows() != L.cols() ||
        static_cast<size_t>(L.outerSize()) + 1 != lOuter_.size() ||
        static_cast<size_t>(L.nonZeros()) != lInner_.size())
        return false;
    return std::equal(lOuter_.begin(), lOuter_.end(), L.outerIndexPtr()) &&
           std::equal(lInner_.begin(), lInner_.end(), L.innerIndexPtr());
}

// Column j of Kᵀ·K sums, over the rows k of K's column j in increasing order,
// K(k,j) times row k of K; the product's first term of an entry sets it,
// which adding to -0.0 reproduces exactly. The rows of WL·L come first, then
// WH's row n + j, whose only entry lands on the diagonal. False when a term
// falls outside N's pattern (N is then unfinished).
bool NormalEquations::refill(const SparseMatrix& L, double wl, const Eigen::VectorXd& wh) {
    const RowMajorMatrix rows = L;
    const int n = static_cast<int>(L.cols());
    double* value = N_.valuePtr();
    const int* outer = N_.outerIndexPtr();
    const int* inner = N_.innerIndexPtr();
    std::fill(value, value + N_.nonZeros(), -0.0);
    std::vector<int> position(n, -1);
    for (int j = 0; j < n; ++j) {
        for (int p = outer[j]; p < outer[j + 1]; ++p) position[inner[p]] = p;
        for (SparseMatrix::InnerIterator kj(L, j); kj; ++kj) {
            const double y = wl * kj.value();
            for (RowMajorMatrix::InnerIterator ki(rows, kj.index()); ki; ++ki) {
                const int p = position[ki.index()];
                if (p < 0) return false;
                value[p] += (wl * ki.value()) * y;
            }
        }
        if (position[j] < 0) return false;
        value[position[j]] += wh(j) * wh(j);
        for (int p = outer[j]; p < outer[j + 1]; ++p) position[inner[p]] = -1;
    }
    return true;
}
