#include "geometry/invert_diag.h"

namespace geometry {

void invert_diag(const Eigen::SparseMatrix<double>& M, Eigen::SparseMatrix<double>& Minv) {
    Minv = M;
    for (int k = 0; k < Minv.outerSize(); ++k)
        for (Eigen::SparseMatrix<double>::InnerIterator it(Minv, k); it; ++it)
            if (it.row() == it.col()) it.valueRef() = 1.0 / it.value();
}

}  // namespace geometry
