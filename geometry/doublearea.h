#pragma once
// Twice the area of every triangle (never negative).
//   V  #V by 3, F  #F by 3
//   dblA  #F

#include <Eigen/Core>

namespace geometry {

void doublearea(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F, Eigen::VectorXd& dblA);

}  // namespace geometry
