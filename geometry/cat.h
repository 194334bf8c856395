#pragma once
// Concatenation of two sparse matrices.
//   dim  1: A stacked above B (same column count); 2: A left of B (same rows)
//   C    the result

#include <Eigen/Sparse>

namespace geometry {

void cat(int dim, const Eigen::SparseMatrix<double>& A, const Eigen::SparseMatrix<double>& B,
         Eigen::SparseMatrix<double>& C);

}  // namespace geometry
