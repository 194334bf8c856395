#pragma once
// Cotangent Laplacian of a triangle mesh.
//   V  #V by 3 vertex positions
//   F  #F by 3 vertex indices
//   L  #V by #V sparse; L(i,j) = 1/2 (cot a + cot b) for an edge (a, b the
//      angles opposite it; one of them on a boundary edge), L(i,i) = minus the
//      sum of the rest of row i, so L is symmetric negative semidefinite and
//      L * 1 = 0. A zero-area triangle adds nothing (its angles have no
//      finite cotangents); a vertex only such triangles use has a zero row.

#include <Eigen/Core>
#include <Eigen/Sparse>

namespace geometry {

void cotmatrix(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F, Eigen::SparseMatrix<double>& L);

}  // namespace geometry
