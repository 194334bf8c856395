#pragma once
// Geodesic distance by the heat method: precompute factorisations once,
// then solve for any set of sources.
//
// With the cotangent Laplacian L and the Voronoi mass matrix M:
//   1. heat: (M - t L) u = delta (the same weight at every source). On a mesh
//      with boundary, u is the average of this (Neumann) solution and the one
//      with u = 0 on the boundary.
//   2. X = -grad u / |grad u| per face, normalised without underflow; a zero
//      or non-finite gradient gives 0. Heat falls by about e per edge length
//      and is no longer usable (below 1e-250 of the source's) some 600 edge
//      lengths away: faces that are that cold take X from the heat of a new
//      step whose sources are the warm corners of the cold faces, until every
//      face the heat can reach has been reached.
//   3. L phi = div X (integrated divergence), with sum_i M_ii phi_i = 0 on
//      every connected piece of the mesh.
//   4. D = phi shifted so that its mean over the sources is 0, and negated if
//      its mean is then negative.
// Degenerate (zero-area) triangles take no part. A vertex no triangle with
// area touches, and every vertex on a piece of the mesh that holds no source,
// is out of reach of the heat: its distance is a meaningless finite constant.

#include <Eigen/Core>
#include <Eigen/Sparse>
#include <Eigen/SparseCholesky>
#include <vector>

namespace geometry {

struct HeatGeodesicsData {
    // Filled by heat_geodesics_precompute; see heat_geodesics.cpp.
    Eigen::MatrixXi F;                 // #F by 3, the triangles
    Eigen::SparseMatrix<double> L;     // #V by #V cotangent Laplacian (cotmatrix.h)
    Eigen::SparseMatrix<double> Grad;  // 3#F by #V
    Eigen::SparseMatrix<double> Div;   // #V by 3#F, integrated divergence
    Eigen::VectorXd M;                 // #V Voronoi areas
    Eigen::VectorXi component;         // #V: which connected piece each vertex is on
    std::vector<char> onBoundary;      // #V: 1 on a boundary edge
    std::vector<char> pinned;          // #V: 1 where the Poisson solve holds phi at 0
    bool hasBoundary = false;
    Eigen::SimplicialLDLT<Eigen::SparseMatrix<double>> heatNeumann;
    Eigen::SimplicialLDLT<Eigen::SparseMatrix<double>> heatDirichlet;
    Eigen::SimplicialLDLT<Eigen::SparseMatrix<double>> poisson;  // -L, pinned rows identity
    int numVertices = 0;
};

// V  #V by 3, F  #F by 3 (indices in [0, #V)).
// t: the heat time step, typically the squared mean edge length.
// Returns false when t is not a positive finite number or a factorisation
// fails. Triangles with a non-finite corner count as degenerate.
bool heat_geodesics_precompute(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F, double t,
                               HeatGeodesicsData& data);

// gamma: source vertex indices; indices outside [0, #V) are ignored.
// D: #V distances, 0 at the sources; all NaN when no source is valid.
void heat_geodesics_solve(const HeatGeodesicsData& data, const Eigen::VectorXi& gamma,
                          Eigen::VectorXd& D);

// The Poisson step's own factorisation, for other systems on the same mesh:
// x (#V) solves L x = rhs (#V) with every piece's pinned vertex held at 0
// (its rhs entry is not used), so x is exact up to a constant on each piece.
// False when the solve fails or x is not finite.
bool heat_geodesics_poisson_solve(const HeatGeodesicsData& data, const Eigen::VectorXd& rhs,
                                  Eigen::VectorXd& x);

}  // namespace geometry
