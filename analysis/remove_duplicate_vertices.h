#pragma once
// Merges vertices whose positions agree up to 1e-7 (coordinates rounded to
// multiples of 1e-6) and renumbers F. When nothing merges, V and F are left
// exactly as they were; otherwise a message with the new counts is printed.
// The face count never changes (merged corners leave degenerate faces).

#include <Eigen/Core>

void removeDuplicateVertices(Eigen::MatrixXd& V, Eigen::MatrixXi& F);
