#pragma once
// Closing the holes of an open surface (a segmentation's vessel ends are
// boundary loops), for skeleton contraction: an open end shrinks along its
// vessel but hardly across it, and an open surface encloses no volume for
// the volume tests to read.

#include <Eigen/Core>
#include <vector>

// The boundary loops of F: boundary edges (in exactly one face) walked end
// to end in their faces' direction, each loop's vertices in that order. A
// loop that does not come back to its start (a non-manifold rim), or has
// fewer than three vertices, is left out.
std::vector<std::vector<int>> boundaryLoops(const Eigen::MatrixXi& F);

// V2: V with one vertex appended per boundary loop, at the loop's centroid;
// F2: F with a fan from each loop to its vertex appended, turned as the faces
// along the loop are; the loops are boundaryLoops(F), any other rim stays
// open. False, and V2 and F2 untouched, when no loop
// was closed.
bool closeBoundaryLoops(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F, Eigen::MatrixXd& V2,
                        Eigen::MatrixXi& F2);
