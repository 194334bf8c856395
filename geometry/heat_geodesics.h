#pragma once
// Geodesic distance by the heat method: precompute factorisations once,
// then solve for any set of sources.

#include <Eigen/Core>
#include <Eigen/Sparse>
#include <Eigen/SparseCholesky>

namespace geometry {

struct HeatGeodesicsData {
    // Filled by heat_geodesics_precompute; see heat_geodesics.cpp.
    Eigen::SparseMatrix<double> Grad;    // 3#F by #V
    Eigen::SparseMatrix<double> Div;     // #V by 3#F, integrated divergence
    Eigen::VectorXd M;                   // #V Voronoi areas
    Eigen::VectorXi boundary;            // boundary vertex indices (may be empty)
    Eigen::SimplicialLLT<Eigen::SparseMatrix<double>> heatNeumann;
    Eigen::SimplicialLLT<Eigen::SparseMatrix<double>> heatDirichlet;
    Eigen::SimplicialLDLT<Eigen::SparseMatrix<double>> poisson;
    Eigen::VectorXi interior;            // interior vertex indices, for the Dirichlet solve
    int numVertices = 0;
};

// t: the heat time step, typically the squared mean edge length.
// Returns false when a factorisation fails.
bool heat_geodesics_precompute(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F, double t,
                               HeatGeodesicsData& data);

// gamma: source vertex indices. D: #V distances, 0 at the sources.
void heat_geodesics_solve(const HeatGeodesicsData& data, const Eigen::VectorXi& gamma,
                          Eigen::VectorXd& D);

}  // namespace geometry
