#pragma once
// Endpoints of a tree-shaped mesh and the choice of its root.

#include <Eigen/Core>
#include <vector>

// Appends, in increasing order, the ends of the tree that the contracted
// point set S (n by 3, row i where vertex i went) has shrunk to. F (#F by 3)
// indexes S; V (n by 3) holds where the points were before contraction.
//
// A point is an end when the points within its radius lie in the half-space
// that faces the farthest of them, but for a share of at most
// kEndpointBehindShare (a jittered tip). A neighbourhood that does not
// stretch along a line, twice as far as across it, is a blob (a wide
// vessel's end contracts into a disc or a lump): there only what lies more
// than kEndpointSlab of the radius behind counts, and it is an end only where
// what lies in the outer half of its radius leaves in one direction (its
// vessel; a ball, shrunk on itself, has nothing there). Its radius is the
// larger of r, three times the mean face-edge length of S, and kMovedRadius
// times how far its vertex moved in the contraction: a wide vessel's end
// contracts to a flattened blob rather than to a curve, and only a radius of
// about the vessel's reaches past it. Ends within one another's radius are
// one end (a blob's and a curve's only within the smaller radius), kept as
// the one nearest their middle. Points in one cell of r / 4
// are tested as one (their mean position, their summed weight), and far
// neighbours are counted in coarser cells (at most an eighth of the radius):
// the work grows with the size of the skeleton, not with the number of
// points, and points farther apart than the cells are each their own, as in
// the plain test. A NaN r (no faces) or non-finite points: no neighbours, no
// ends. Entries already in the list are kept before the new ones.
void findEndpoints(const Eigen::MatrixXd& S, const Eigen::MatrixXd& V, const Eigen::MatrixXi& F,
                   std::vector<int>& endpoints);

// The same with every radius r (nothing moved).
void findEndpoints(const Eigen::MatrixXd& S, const Eigen::MatrixXi& F, std::vector<int>& endpoints);

constexpr double kEndpointBehindShare = 0.02;
constexpr double kMovedRadius = 3.0;
constexpr double kEndpointSlab = 0.05;

// The endpoint where the uncontracted surface (V, F) is least curved: the
// measure read around the end (CurvatureMeasure::around: the width of a cut
// end near it, else the curvature of the vessel's wall), the earliest on
// ties. Where some endpoints read a cut end (a cap or a boundary loop), only
// those compete: on a model whose ends are cut the inlet is one of them. An
// end whose measure is NaN never wins unless it comes first. -1 for an empty
// list (then nothing is printed). Prints "Root point index is %d".
int findRootPoint(std::vector<int> endpoints, const Eigen::MatrixXd& V, const Eigen::MatrixXi& F);
