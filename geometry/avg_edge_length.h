#pragma once
// Mean length of the triangles' edges, each edge counted once per triangle
// that has it (so interior edges twice). An empty F gives NaN (0 / 0).
//   V  #V by 3, F  #F by 3

#include <Eigen/Core>

namespace geometry {

double avg_edge_length(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F);

}  // namespace geometry
