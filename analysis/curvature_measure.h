#pragma once
// The curvature measure that root choice compares, at a vertex and read
// robustly around one.
//
// At vertex i, q_i = |H_i| with H = M^-1 L V, L the cotangent Laplacian and M
// the Voronoi mass matrix: |k1 + k2|, so 1/r on a tube of radius r and 2/r on
// a sphere. A vertex without area has q_i = NaN.
//
// Read at the single vertex it fails on real ends: a flat cap gives 0, a
// sliver or an open rim anything, and a mesh refined without smoothing holds
// all its bending on the old edges. Around a vertex it is the bending
// integrated over a region, over the region's area: |sum H_k . n_k A_k| /
// sum A_k (n_k the area-weighted vertex normal, boundary vertices left out),
// which counts folds, bumps of either sign and slivers for what they bend.
// The region's reach starts at nine mean edge lengths and widens until it
// takes in a local radius (1 / the reading); three readings within three
// radii set the radius, and the wall is read between two and four radii
// away, past the end's own cap: 1/r on a tube of radius r, whether its end
// is round, flat-capped or open. Where a cut end (a flat cap or a boundary
// loop, findEndSections) lies within kCutReach of its radii of the vertex,
// with a radius within a factor of two of the wall's, its exact radius
// gives the reading: 1 / radius.
// Scaling the mesh by s scales both measures by 1/s.

#include <Eigen/Core>
#include <vector>

#include "analysis/end_sections.h"
#include "geometry/vertex_adjacency.h"

// How far, in its own radii, a cut end's centre may lie from a vertex that
// reads it.
constexpr double kCutReach = 2.5;

class CurvatureMeasure {
  public:
    //   V  #V by 3, F  #F by 3 (indices in [0, #V))
    CurvatureMeasure(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F);

    double at(int i) const { return q_[i]; }

    // NaN when no vertex around i has a finite measure. `readsCut`, when
    // given, tells whether a cut end gave it. Thread-safe.
    double around(int i, bool* readsCut = nullptr) const;

  private:
    // |sum of H_k . n_k A_k| / sum of A_k over the vertices k at an edge-path
    // distance from i in [inner, reach], boundary vertices left out.
    double bendWithin(int i, double inner, double reach, std::vector<double>& distance,
                      std::vector<int>& touched,
                      std::vector<std::pair<double, double>>& values) const;

    const Eigen::MatrixXd& V_;
    geometry::VertexAdjacency adjacency_;
    std::vector<double> q_;
    std::vector<double> signed_;  // H_i . n_i, n_i the area-weighted normal
    std::vector<double> area_;    // Voronoi areas, 0 where there is none
    std::vector<char> onBoundary_;
    double meanEdge_ = 0.0;
    std::vector<EndSection> sections_;
};
