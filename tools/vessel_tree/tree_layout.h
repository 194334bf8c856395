#pragma once
// Inside the generator: the branches of a tree before they become segments,
// and the implicit surface around them.

#include <Eigen/Core>
#include <Eigen/Geometry>
#include <algorithm>
#include <thread>
#include <vector>

#include "vessel_tree.h"

namespace vessel_tree {

// A branch runs from a branching point (or the root) to the next branching
// point (or a tip), tapering linearly from rStart to rEnd along a polyline.
struct Branch {
    Eigen::Vector3d start, direction, endDirection;
    Eigen::Vector3d planeSide;  // in the plane of the branching that made it
    Eigen::Vector3d bendAxis;
    double length = 0, rStart = 0, rEnd = 0, bend = 0;
    int parent = -1;
    bool leaf = true;
    std::vector<Eigen::Vector3d> points;
};

// Branch 0 is the trunk, rooted at the origin and heading along +z; children
// follow their parents. Branches that do not meet keep a clearance.
std::vector<Branch> layOutTree(int tips, unsigned seed, Shape shape);
// A trunk along +z that splits evenly into two straight branches in the x-z
// plane.
std::vector<Branch> layOutBifurcation();
// The segments of the branches, turned so that the layout's +z is +y.
CentreLines centreLinesOf(const std::vector<Branch>& branches);
// Fills lines.tipPathLengths from the segments.
void measurePaths(CentreLines& lines);

// The tree's surface as the zero set of f: negative inside. Each branch is a
// chain of tapered capsules (plain minimum, so no bulge at the chain's
// joints); branches are joined by a smooth minimum whose blend width follows
// the thinner branch. Points farther than `band` from every branch read band.
class TubeField {
  public:
    TubeField(const CentreLines& lines, double band);
    double value(const Eigen::Vector3d& p) const;
    Eigen::Vector3d gradient(const Eigen::Vector3d& p, double step) const;
    double band() const { return band_; }
    int branchCount() const { return int(branches_.size()); }
    // Per branch: its bounding box grown by band, and its distance at p.
    const Eigen::AlignedBox3d& reach(int branch) const { return branches_[branch].box; }
    double branchDistance(int branch, const Eigen::Vector3d& p) const;
    // Folds branch b's distance d into the running value v.
    double fold(int branch, double v, double d) const;
    Eigen::AlignedBox3d bounds() const;

  private:
    struct Chain {
        int first = 0, count = 0;
        double blend = 0;
        Eigen::AlignedBox3d box;
    };
    std::vector<Segment> segments_;
    std::vector<Chain> branches_;
    double band_;
};

// Runs body(i) for i in [0, n) on a few threads. Each i must write only its
// own results, so the outcome does not depend on the thread count.
template <class Body>
void parallelFor(int n, Body&& body) {
    const int threads = int(std::max(1u, std::min(16u, std::thread::hardware_concurrency())));
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([&body, t, threads, n] {
            for (int i = t; i < n; i += threads) body(i);
        });
    for (std::thread& w : workers) w.join();
}

// Dual contouring of f's zero set on a grid of spacing h ("surface nets"):
// one vertex per cell that f changes sign in, one quad per grid edge that it
// changes sign along, quads counter-clockwise seen from outside.
void surfaceNets(const TubeField& field, double h, Eigen::MatrixXd& V,
                 std::vector<Eigen::Vector4i>& quads);

// A plane across a vessel end through `centre`; `normal` points out of the
// vessel, to the part that is cut away. Only the mesh within `reach` of the
// centre is cut, so the plane never touches other branches.
struct Cut {
    Eigen::Vector3d centre, normal;
    double radius = 0, reach = 0;
};
// Trims the root's and the tips' segments to the cut planes (half an end
// radius back from each free end) and returns those planes, root first.
std::vector<Cut> trimEnds(CentreLines& lines);
// Cuts the mesh at each plane, then closes each rim with a flat cap (`cap`)
// or leaves it open. With `slivers`, caps are fans and needle rings follow
// the rims. An `extension` > 0 carries the first (the root's) rim on
// straight by that length before it is closed or left open.
void cutEnds(std::vector<Cut> cuts, bool cap, bool slivers, double extension, Eigen::MatrixXd& V,
             Eigen::MatrixXi& F);

// The closed, outward, manifold mesh of the tubes around `lines`, with about
// targetVertices vertices.
void polygonise(const CentreLines& lines, int targetVertices, Eigen::MatrixXd& V,
                Eigen::MatrixXi& F);

}  // namespace vessel_tree
