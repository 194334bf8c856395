#pragma once
// Endpoints of a tree-shaped mesh and the choice of its root.

#include <Eigen/Core>
#include <vector>

// Appends, in increasing order, every point of the contracted set S (n by 3)
// that has all points within three mean face-edge lengths in the closed
// half-space facing its farthest such neighbour. F (#F by 3) indexes S.
// Entries already in the list are kept before the new ones.
void findEndpoints(const Eigen::MatrixXd& S, const Eigen::MatrixXi& F, std::vector<int>& endpoints);

// The endpoint where the uncontracted surface (V, F) has the smallest
// mean-curvature-normal magnitude, the earliest on ties; -1 for an empty list
// (then nothing is printed). Prints "Root point index is %d".
int findRootPoint(std::vector<int> endpoints, const Eigen::MatrixXd& V, const Eigen::MatrixXi& F);
