#pragma once
// Synthetic vessel trees for the example meshes, the tests and the benchmarks.
//
// A tree is a branching set of centre lines, each a chain of tapered segments;
// its surface is the smooth union of the tapered tubes, polygonised into a
// closed, 2-manifold, outward-oriented triangle mesh of one component.
// Everything is deterministic: the same options give the same mesh, bit for
// bit, on every run.
//
// Options give the traits of real vessel models as well: flat caps (capped CFD
// surfaces), open ends (segmentations with boundary loops), slivers and
// obtuse triangles at the ends, any uniform scale, long thin trees and wide
// trunks with thin branches. Inward faces and several pieces come from
// inwardCopy and sideBySide.
//
// Mesh conventions used throughout:
//   V  #V by 3 vertex positions
//   F  #F by 3 vertex indices, counter-clockwise seen from outside, so the
//      signed volume of a closed mesh is positive.

#include <Eigen/Core>
#include <Eigen/Geometry>
#include <string>
#include <vector>

namespace vessel_tree {

// One tapered piece of a centre line: radius ra at a, rb at b. `branch` is the
// index of the branch (root-to-split or split-to-split path) it belongs to;
// `parent` the segment it continues from, -1 for the first trunk segment.
struct Segment {
    Eigen::Vector3d a, b;
    double ra = 0, rb = 0;
    int branch = 0;
    int parent = -1;
};

// The answers a test checks an analysis against. The root is the inlet: the
// widest vessel end. For round ends the root and tips are the centre lines'
// end points (one radius inside the surface); for cut ends they are the
// centres of the cut planes (of the caps, or of the boundary loops).
struct CentreLines {
    std::vector<Segment> segments;       // parents before children
    Eigen::Vector3d root;                // end point of the trunk's free end
    double rootRadius = 0;               // trunk radius there (the largest radius)
    std::vector<Eigen::Vector3d> tips;   // free ends of the terminal branches
    std::vector<double> tipRadii;        // radius at each tip
    std::vector<double> tipPathLengths;  // length along the segments from root to each tip
    double longestPath() const;          // the largest of tipPathLengths
};

// The layout of the branches.
enum class Shape {
    Bushy,      // branches split evenly by Murray's law (the example tree)
    Long,       // a long trunk and long branches: the farthest tip at least 40
                // root radii from the root along the centre lines
    WideTrunk,  // a wide main vessel that gives off thin side branches, one
                // side branch per tip after the first; the thinnest tip's
                // radius is at most a tenth of the root's
};

// How each vessel end is finished. Cut ends are cut by a plane across the
// centre line, half the end's radius back from the centre line's end point.
enum class Ends {
    Round,  // the tubes' own round ends
    Flat,   // cut and closed by a flat cap: closed, manifold, outward
    Open,   // cut and left open: one boundary loop per end (1 + tips loops)
};

struct TreeOptions {
    int tips = 12;               // number of terminal branches (>= 2)
    int targetVertices = 25000;  // approximate vertex count of the mesh
    unsigned seed = 4;           // layout of the branches
    Shape shape = Shape::Bushy;
    Ends ends = Ends::Round;
    // Cut ends only: badly shaped triangles as real models have them. Each
    // flat cap is a fan from the rim to one centre vertex, and three very
    // thin rings of triangles follow each rim into the wall (smallest angles
    // well under 1 degree, and obtuse ones). Without it cut ends keep well
    // shaped triangles (caps of concentric rings).
    bool slivers = false;
    // Every coordinate, radius and length multiplied by this (1000 makes a
    // tree of unit root radius into one of 1000; 0.001 into one of 0.001).
    double scale = 1;
    // Cut ends only: the root's end carried straight on by this many root
    // radii, as a CFD model's flow extension: rings ten mean edge lengths
    // apart, so its triangles are needles about ten times longer than the
    // rest of the mesh's edges. The root (and every path) moves to its end.
    double extension = 0;
};

// The centre lines that `treeMesh` gives for these options (the vertex
// target does not change them).
CentreLines treeCentreLines(const TreeOptions& options);

// A tree mesh of about options.targetVertices vertices (within roughly 10%).
// `lines`, when given, receives the centre lines, trimmed to the cuts and
// scaled as the mesh is. The mesh is closed, manifold, outward and of one piece (the grid is nudged
// until it is; after a few tries the last result is returned, so a caller that must be sure checks
// with checkMesh). Its triangles are well shaped (smallest angle above about
// 17 degrees) from about 20,000 vertices; coarser meshes may have slivers on
// the caps of the thinnest tips (above about 12 degrees from 8,000 vertices
// for 12 tips, 12,000 for 16). Long and WideTrunk trees of 12 tips need
// about 12,000 vertices to come out closed and of one piece; the thinnest
// branches of a WideTrunk tree are round (within 5% of their radius) from
// about 25,000 vertices for 4 tips, 40,000 for 6. Without slivers, the
// triangles by cut ends keep their smallest angle above about 5 degrees from
// 25,000 vertices (2 degrees from 12,000).
void treeMesh(const TreeOptions& options, Eigen::MatrixXd& V, Eigen::MatrixXi& F,
              CentreLines* lines = nullptr);

// A Y-shaped bifurcation: a trunk along +y that splits into two branches in
// the x-y plane.
void bifurcationMesh(int targetVertices, Eigen::MatrixXd& V, Eigen::MatrixXi& F,
                     CentreLines* lines = nullptr);

// Derived meshes for robustness tests.
// The same surface with every face flipped (inward orientation).
void inwardCopy(const Eigen::MatrixXi& F, Eigen::MatrixXi& Finward);
// Two copies of a mesh side by side along +x with a gap of one bounding-box
// width: two components.
void sideBySide(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F, Eigen::MatrixXd& V2,
                Eigen::MatrixXi& F2);
// A closed torus around the z axis (a loop): ring radius R, tube radius r.
void torusMesh(double R, double r, int ringSteps, int tubeSteps, Eigen::MatrixXd& V,
               Eigen::MatrixXi& F);
// A cylinder along z from 0 to length with both ends open (two boundary loops).
void openTubeMesh(double radius, double length, int aroundSteps, int alongSteps, Eigen::MatrixXd& V,
                  Eigen::MatrixXi& F);

// OFF files: "OFF", counts, "%.7f" coordinates, triangles. Return false when
// the file cannot be written or read (or is not a triangle OFF file).
bool writeOff(const std::string& path, const Eigen::MatrixXd& V, const Eigen::MatrixXi& F);
bool readOff(const std::string& path, Eigen::MatrixXd& V, Eigen::MatrixXi& F);

// Properties of a triangle mesh that the generators promise.
struct MeshReport {
    int vertices = 0, faces = 0;
    int boundaryEdges = 0;        // edges with one face
    int nonManifoldEdges = 0;     // edges with more than two faces
    int nonManifoldVertices = 0;  // vertices whose faces form more than one fan
    int misorientedEdges = 0;     // interior edges walked the same way by both faces
    int unusedVertices = 0;
    int components = 0;           // face-connected components
    int eulerCharacteristic = 0;  // V - E + F (2 for a closed sphere-like surface)
    double signedVolume = 0;      // positive when oriented outwards
    double minAngleDegrees = 0;   // smallest triangle angle
    double minArea = 0;           // smallest triangle area
    double meanEdgeLength = 0;
    bool closedManifold() const {
        return boundaryEdges == 0 && nonManifoldEdges == 0 && nonManifoldVertices == 0 &&
               misorientedEdges == 0 && unusedVertices == 0;
    }
};
MeshReport checkMesh(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F);

}  // namespace vessel_tree
