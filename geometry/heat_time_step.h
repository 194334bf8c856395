#pragma once
// The heat method's time step for a mesh: the squared mean edge length h,
// or, where long edges make up much of the mesh, the square of half the
// edge length below which kLongEdgeShare of the mesh's total edge length
// lies, whichever is larger.
//   V  #V by 3, F  #F by 3
// Heat does not spread over a triangle much longer than sqrt(t): on a mesh
// whose flow extensions are needles ten times the other edges, t = h^2
// leaves the distance flat along them, shorter than a straight line. Where
// the edges are even (that length under twice h), t is h^2 exactly.
// Scaling the mesh by s scales t by s^2; non-finite edges are left out.

#include <Eigen/Core>

namespace geometry {

double heat_time_step(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F);

constexpr double kLongEdgeShare = 0.9;

}  // namespace geometry
