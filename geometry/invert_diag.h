#pragma once
// Minv := M with every diagonal entry replaced by its reciprocal
// (off-diagonal entries are copied unchanged).

#include <Eigen/Sparse>

namespace geometry {

void invert_diag(const Eigen::SparseMatrix<double>& M, Eigen::SparseMatrix<double>& Minv);

}  // namespace geometry
