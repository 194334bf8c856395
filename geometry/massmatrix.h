#pragma once
// Diagonal mass matrix of a triangle mesh.
//   V  #V by 3, F  #F by 3
//   type  MASSMATRIX_TYPE_VORONOI (1): mixed Voronoi areas; for a triangle
//         obtuse at corner k, half its area goes to k and a quarter to each
//         other corner
//   M  #V by #V sparse diagonal, every diagonal entry stored; it sums to the
//      total area. A zero-area triangle adds nothing, so a vertex used by no
//      triangle with area gets 0.

#include <Eigen/Core>
#include <Eigen/Sparse>

namespace geometry {

enum MassMatrixType { MASSMATRIX_TYPE_VORONOI = 1 };

void massmatrix(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F, MassMatrixType type,
                Eigen::SparseMatrix<double>& M);

}  // namespace geometry
