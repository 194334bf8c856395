#include "geometry/cat.h"

#include <vector>

namespace geometry {

void cat(int dim, const Eigen::SparseMatrix<double>& A, const Eigen::SparseMatrix<double>& B,
         Eigen::SparseMatrix<double>& C) {
    const bool stack = dim == 1;
    if ((stack && A.cols() != B.cols()) || (!stack && A.rows() != B.rows()) ||
        (dim != 1 && dim != 2)) {
        C.resize(0, 0);
        return;
    }
    const Eigen::Index rowShift = stack ? A.rows() : 0;
    const Eigen::Index colShift = stack ? 0 : A.cols();
    std::vector<Eigen::Triplet<double>> entries;
    entries.reserve(static_cast<size_t>(A.nonZeros() + B.nonZeros()));
    for (int k = 0; k < A.outerSize(); ++k)
        for (Eigen::SparseMatrix<double>::InnerIterator it(A, k); it; ++it)
            entries.emplace_back(it.row(), it.col(), it.value());
    for (int k = 0; k < B.outerSize(); ++k)
        for (Eigen::SparseMatrix<double>::InnerIterator it(B, k); it; ++it)
            entries.emplace_back(it.row() + rowShift, it.col() + colShift, it.value());
    C.resize(stack ? A.rows() + B.rows() : A.rows(), stack ? A.cols() : A.cols() + B.cols());
    C.setFromTriplets(entries.begin(), entries.end());
}

}  // namespace geometry
