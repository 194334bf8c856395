#pragma once
// The U field: a per-vertex scalar running along the tree, 0 next to the root
// and the largest heat-method geodesic distance from the root at the far ends.
//   V     #V by 3, F  #F by 3
//   root  a valid vertex index (asserted); the caller skips the field when
//         the mesh has no root
//   U     resized to #V
// Prints "# smoothing iter: %d", and "Smoothing capped at %d steps" when
// that count is above the most steps ever run (smoothing_steps.h). A failed
// heat-method precomputation is fatal; so is a failed Poisson factorisation
// (made in that precomputation) or solve, after the "SOLVER: " line of its
// status.
// The heat method's precompute is shared: its gradient, its Laplacian (for
// the smoothing) and its Poisson factorisation (for the solve, the same
// pinned Laplacian up to the factor -2) serve this field too.

#include <Eigen/Core>

void computeUField(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F, int root,
                   Eigen::VectorXd& U);
