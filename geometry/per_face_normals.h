#pragma once
// Unit normal of every triangle, by the right-hand rule over its corners.
//   V  #V by 3, F  #F by 3
//   Z  the normal given to a degenerate (zero-area) triangle
//   N  #F by 3

#include <Eigen/Core>

namespace geometry {

void per_face_normals(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F,
                      const Eigen::RowVector3d& Z, Eigen::MatrixXd& N);

}  // namespace geometry
