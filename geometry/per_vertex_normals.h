#pragma once
// Per-vertex normals: the area-weighted sum of the normals of the triangles
// around each vertex, normalised. A vertex no triangle uses (or whose sum is
// zero) gets a non-finite row, as the normalisation of a zero vector gives.
//   V   #V by 3, F  #F by 3
//   FN  #F by 3 unit face normals (per_face_normals)
//   N   #V by 3

#include <Eigen/Core>

namespace geometry {

void per_vertex_normals(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F,
                        const Eigen::MatrixXd& FN, Eigen::MatrixXd& N);

}  // namespace geometry
