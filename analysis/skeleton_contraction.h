#pragma once
// Skeleton contraction: iterated least-squares Laplacian smoothing that pulls
// every vertex towards the curve skeleton of the shape the mesh encloses.
//   S  n by 3 point set, contracted in place; row i is where vertex i went
//   F  #F by 3 triangles over S, only read
// Solver, residual and volume tests end the run early; the point set of the
// start of that iteration is then put back. Progress and stop messages go to
// standard output. Nothing here is fatal.

#include <Eigen/Core>

// sL: growth factor of the contraction weights after each accepted
// iteration; maxIterations: the most solves run.
void contractMesh(Eigen::MatrixXd& S, const Eigen::MatrixXi& F, double sL, int maxIterations);

// areas (#V by 1): one third of the summed areas of the faces using each
// vertex; 0 for a vertex no face uses.
void computeVertexAreas(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F, Eigen::VectorXd& areas);

// Enclosed volume of a closed, consistently oriented mesh (either way round),
// never negative; 0 with no faces.
double meshVolume(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F);
