#pragma once
// Gradient operator of piecewise-linear functions on a triangle mesh.
//   V  #V by 3, F  #F by 3
//   G  3#F by #V sparse; row f + d #F holds component d of the gradient on
//      face f (all x, then all y, then all z), so G * phi is the exact
//      per-face gradient of phi. A zero-area face gives zero rows.

#include <Eigen/Core>
#include <Eigen/Sparse>

namespace geometry {

void grad(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F, Eigen::SparseMatrix<double>& G);

}  // namespace geometry
