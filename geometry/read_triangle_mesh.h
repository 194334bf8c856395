#pragma once
// Reads a triangle mesh, the reader chosen by the file name's lower-cased
// extension: obj, off, ply (ascii and binary), stl (ascii and binary), wrl
// (IndexedFaceSet), mesh (Medit). Polygons are fan-triangulated from their
// first corner.
//   path  file to read
//   V     #V by 3 vertex positions
//   F     #F by 3 vertex indices, 0-based, each in [0, #V)
// Returns false, with one line on standard error naming the file and the
// problem, when the file cannot be opened, the extension has no reader, the
// contents are malformed, or the file is larger than the memory the process
// may use (or its mesh does not fit beside it); V and F are then left without
// rows.

#include <Eigen/Core>
#include <string>

namespace geometry {

bool read_triangle_mesh(const std::string& path, Eigen::MatrixXd& V, Eigen::MatrixXi& F);
bool read_triangle_mesh(const std::string& path, Eigen::MatrixXf& V, Eigen::MatrixXi& F);

}  // namespace geometry
