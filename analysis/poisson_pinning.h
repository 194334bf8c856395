#pragma once
// Makes the U field's Poisson system solvable on any mesh. The cotangent
// Laplacian is singular: a constant on each connected piece of the mesh
// solves L x = 0, and whether its factorisation then meets an exactly zero
// pivot (a fatal solver failure) is left to rounding; a piece of a few
// vertices, or a vertex no face with area uses, meets one for certain.
// Holding the lowest vertex of each piece at 0 removes that freedom: its row
// and column become -1 on the diagonal (L stays negative definite) and its
// right-hand side 0. On one piece this shifts x by a constant only, which the
// rescaling to [0, Dmax] takes out again.
//   L  #V by #V doubled cotangent Laplacian, changed in place
//   b  #V right-hand side, changed in place
// Pieces are joined by edges whose weight is not zero.

#include <Eigen/Core>
#include <Eigen/Sparse>

void pinOneVertexPerPiece(Eigen::SparseMatrix<double>& L, Eigen::VectorXd& b);
