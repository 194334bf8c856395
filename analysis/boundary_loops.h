#pragma once
// Closing the holes of an open surface (a segmentation's vessel ends are
// boundary loops), for skeleton contraction: an open end shrinks along its
// vessel but hardly across it, and an open surface encloses no volume for
// the volume tests to read.

#include <Eigen/Core>

// V2: V with one vertex appended per boundary loop, at the loop's centroid;
// F2: F with a fan from each loop to its vertex appended, turned as the faces
// along the loop are. A boundary edge belongs to exactly one face; loops are
// walked edge to edge and one that does not come back to its start (a
// non-manifold rim) stays open. False, and V2 and F2 untouched, when no loop
// was closed.
bool closeBoundaryLoops(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F, Eigen::MatrixXd& V2,
                        Eigen::MatrixXi& F2);
