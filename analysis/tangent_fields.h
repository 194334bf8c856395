#pragma once
// Tangent-field operations of the U field: per-face unit tangents from a
// per-vertex field, back to the vertices, and explicit Laplacian smoothing.

#include <Eigen/Core>
#include <Eigen/Sparse>

// tcurv (#F by 3, must already have that size, else fatal): row f := the
// mean of X's rows at face f's corners, projected onto the plane of normal
// N row f (#F by 3, used as given) and normalised; a zero projection stays 0.
void computeTCurv(const Eigen::MatrixXi& F, const Eigen::MatrixXd& N, const Eigen::MatrixXd& X,
                  Eigen::MatrixXd& tcurv);

// W (#V by 3, sized by the caller, not resized): the sum of P's rows (#F by 3)
// over the faces at each vertex, each row divided by its norm with no zero
// test, so a vertex no face uses, or whose vectors cancel, gets NaN.
void faceToVertexField(const Eigen::MatrixXi& F, const Eigen::MatrixXd& P, Eigen::MatrixXd& W);

// iters explicit steps X := X + lambda K X, K the row-normalised 0.5 L
// (K(i,i) = -1). L: #V by #V doubled cotangent Laplacian, not changed.
void smoothVectorField(Eigen::MatrixXd& X, int iters, double lambda,
                       const Eigen::SparseMatrix<double>& L);
