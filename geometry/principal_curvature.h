#pragma once
// Principal curvatures and directions by a local quadric fit.
//   V  #V by 3, F  #F by 3
//   PD1  #V by 3 unit direction of the curvature of smaller magnitude
//        (along a vessel, whichever way the faces are oriented)
//   PD2  #V by 3 unit direction of the other
//   PV1, PV2  #V signed curvatures along PD1, PD2; positive where the surface
//        bends away from the normal its faces' orientation gives (a sphere of
//        radius r: +1/r with outward faces, -1/r with inward ones)
//   radius  size of the neighbourhood
//   useKring  true: the radius-ring (every vertex within radius edges,
//        breadth-first); false: the vertices within radius times the mean
//        edge length, reached over edges without leaving that ball
// The fit at each vertex: the neighbourhood (the vertex itself included) in a
// frame whose height axis is the area-weighted vertex normal, fitted by least
// squares with w = a u^2 + b uv + c v^2 + d u + e v; the curvatures and
// directions are those of that quadric at the vertex. Only neighbours whose
// normal has a strictly positive dot product with the vertex's take part
// when at least six do (the far side of a thin tube faces away); a flat cap
// at a right angle to a vessel's wall may fall on either side by rounding
// and bend the fit of the wall's vertices within reach of its rim. The fit's error
// grows with the neighbourhood's extent: the mesh must be fine against the
// curvature radius (a 5-ring spanning 0.2 radians is within about 2%).
// Directions are lines, so their signs are a choice: walking breadth-first
// over the edges from the lowest vertex of each connected patch of fitted
// vertices, every row takes the sign that agrees with the row it was reached
// from, and the first row of a patch makes a non-negative dot product with
// (1, sqrt 2, sqrt 3) / sqrt 6. Neighbouring rows therefore agree except
// where the field itself cannot be oriented (at branchings, umbilics).
// A vertex with fewer than six neighbours, a non-finite normal (no triangle
// with area), or neighbours that do not determine the fit gets zero rows and
// zero values; no row is ever NaN. The vertices are split over worker
// threads (joined before return); the result does not depend on the split.

#include <Eigen/Core>

namespace geometry {

void principal_curvature(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F, Eigen::MatrixXd& PD1,
                         Eigen::MatrixXd& PD2, Eigen::VectorXd& PV1, Eigen::VectorXd& PV2,
                         unsigned radius = 5, bool useKring = true);

}  // namespace geometry
