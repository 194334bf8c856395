#pragma once
// Principal curvatures and directions by a local quadric fit.
//   V  #V by 3, F  #F by 3
//   PD1  #V by 3 unit direction of the curvature of smaller magnitude
//        (along a vessel, whichever way the faces are oriented)
//   PD2  #V by 3 unit direction of the other
//   PV1, PV2  #V signed curvatures along PD1, PD2; positive where the surface
//        bends away from an outward normal (a sphere of radius r: +1/r)
//   radius  ring size of the neighbourhood (breadth-first over edges)
//   useKring  true: the k-ring neighbourhood
// A vertex with fewer than six neighbours gets zero rows and zero values.
// Diagnostics, if any, go to standard error.

#include <Eigen/Core>

namespace geometry {

void principal_curvature(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F, Eigen::MatrixXd& PD1,
                         Eigen::MatrixXd& PD2, Eigen::VectorXd& PV1, Eigen::VectorXd& PV2,
                         unsigned radius = 5, bool useKring = true);

}  // namespace geometry
