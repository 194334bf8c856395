#pragma once
// The heat method's time step for a mesh: the squared mean edge length.
//   V  #V by 3, F  #F by 3
// Scaling the mesh by s scales t by s^2.

#include <Eigen/Core>

namespace geometry {

double heat_time_step(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F);

}  // namespace geometry
