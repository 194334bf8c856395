#pragma once
// The cut ends of a vessel surface, where a model has them: the boundary
// loops of an open segmentation and the flat caps of a capped CFD model.
// Where an end is cut, its cross-section gives the vessel's radius exactly,
// which no curvature reading near the cut does.

#include <Eigen/Core>
#include <vector>

struct EndSection {
    Eigen::Vector3d centre = Eigen::Vector3d::Zero();
    double radius = 0.0;  // mean distance of the rim from the centre
};

// V  #V by 3, F  #F by 3 (indices in [0, #V)).
// Loops: boundary edges (in one face only) walked end to end; a loop that
// does not close, or has fewer than three edges, is left out; its centre is
// the length-weighted mean of its edges' midpoints.
// Caps: connected faces whose normals lie within kCapAngle degrees of the
// first one's, at least kCapFaces of them, and round: their area at least
// half a disc's whose radius is the farthest corner from the area centroid.
// A cap's radius is that of the disc of its area.
std::vector<EndSection> findEndSections(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F);

constexpr double kCapAngle = 3.0;
constexpr int kCapFaces = 8;
