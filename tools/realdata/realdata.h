#pragma once
// Real vessel surfaces kept beside the project (../shared/realdata) for
// testing the analysis: finding them, decompressing them into a scratch
// folder, running the analysis as the mesh-loading driver does, and judging
// the result against each mesh's known inlet.

#include <Eigen/Core>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace realdata {

// The folder of compressed meshes, or "" when it is not there (a user's
// fresh clone does not have it).
std::string folder();

// One mesh; for those with a known inlet its centre, its radius R and the
// number of vessel ends (otherwise R = 0).
struct Mesh {
    std::string name;
    Eigen::Vector3d inlet = Eigen::Vector3d::Zero();
    double R = 0.0;
    int ends = 0;
    bool hasInlet() const { return R > 0.0; }
};

// Every NAME.off.xz of the folder in name order, with its inlets.tsv row.
std::vector<Mesh> meshes(const std::string& folder);

// Decompresses NAME.off.xz once into the scratch folder (kept between runs)
// and reads it. False, with a line on standard output, when either fails.
bool load(const std::string& folder, const Mesh& mesh, Eigen::MatrixXd& V, Eigen::MatrixXi& F);

// The driver's analysis on one mesh, with the seconds of each stage.
struct Analysis {
    Eigen::MatrixXd V;
    Eigen::MatrixXi F;
    std::vector<int> endpoints;
    int root = -1;
    Eigen::VectorXd U;
    double merge = 0, contraction = 0, endpointTime = 0, rootTime = 0, uField = 0;
    double total() const { return merge + contraction + endpointTime + rootTime + uField; }
};
Analysis analyse(Eigen::MatrixXd V, Eigen::MatrixXi F);

// How the analysis did against the inlet. Distances are in units of R; NaN
// where there is nothing to measure (no inlet, no root, no endpoints).
struct Judgement {
    int inletVertex = -1;          // the vertex nearest the inlet's centre
    double rootDistance = NAN;     // root from the inlet's centre
    double nearestEndpoint = NAN;  // the nearest endpoint from it
    bool uFinite = false;
    double rankCorrelation = NAN;  // of U with the heat distance from the inlet vertex
    double heatReach = NAN;        // largest heat distance / longest edge path from the inlet
    bool rootRight() const { return rootDistance <= 2.5; }
    bool endsRight(int ends, int found) const { return std::abs(found - ends) <= 1; }
    bool correlated() const { return rankCorrelation >= 0.9; }
};
Judgement judge(const Mesh& mesh, const Analysis& analysis);

// Spearman's rank correlation of two equally long samples (average ranks on
// ties); pairs where either is not finite are left out.
double rankCorrelation(const Eigen::VectorXd& a, const Eigen::VectorXd& b);

// Edge-path (Dijkstra) distances from `source` over the mesh's edges;
// infinite where no path reaches.
Eigen::VectorXd edgePathDistances(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F, int source);

}  // namespace realdata
