#pragma once
// The curvature measure that root choice compares, at a vertex and read
// robustly around one.
//
// At vertex i, q_i = |H_i| with H = M^-1 L V, L the cotangent Laplacian and M
// the Voronoi mass matrix: |k1 + k2|, so 1/r on a tube of radius r and 2/r on
// a sphere. A vertex without area has q_i = NaN.
//
// Read at the single vertex it fails on real ends: a flat cap gives 0, a
// sliver or an open rim anything. Around a vertex it is the median of q over
// the vertices within an edge-path distance of three local radii, leaving
// out boundary vertices (on an edge of one face) and those whose q is below
// a tenth of the neighbourhood's median (flat caps). The local radius starts
// at three mean edge lengths and is set to 2 / median three times: q is 1/r
// on a tube's wall but 2/r on a round end's cap, and the larger radius
// reaches past the cap, so that every end, round, flat-capped or open,
// reads its own vessel's wall, 1/r.
// Scaling the mesh by s scales both measures by 1/s.

#include <Eigen/Core>
#include <vector>

#include "geometry/vertex_adjacency.h"

class CurvatureMeasure {
  public:
    //   V  #V by 3, F  #F by 3 (indices in [0, #V))
    CurvatureMeasure(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F);

    double at(int i) const { return q_[i]; }

    // NaN when no vertex around i has a finite measure. Thread-safe.
    double around(int i) const;

  private:
    // The median measure within edge-path distance `reach` of i, flats left out.
    double medianWithin(int i, double reach, std::vector<double>& distance,
                        std::vector<int>& touched, std::vector<double>& values) const;

    const Eigen::MatrixXd& V_;
    geometry::VertexAdjacency adjacency_;
    std::vector<double> q_;
    std::vector<char> onBoundary_;
    double meanEdge_ = 0.0;
};
