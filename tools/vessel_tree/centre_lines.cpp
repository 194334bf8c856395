#include <Eigen/Geometry>
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "tree_layout.h"
#include "vessel_tree.h"

namespace vessel_tree {

namespace {

// splitmix64: the same numbers on every platform and standard library, which
// the standard distributions do not promise.
struct Random {
    uint64_t state;
    double uniform() {
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        z ^= z >> 31;
        return double(z >> 11) * (1.0 / 9007199254740992.0);
    }
    double range(double a, double b) { return a + (b - a) * uniform(); }
};

Eigen::Vector3d anyPerpendicular(const Eigen::Vector3d& d) {
    const Eigen::Vector3d helper =
        std::abs(d.x()) < 0.9 ? Eigen::Vector3d::UnitX() : Eigen::Vector3d::UnitY();
    return d.cross(helper).normalized();
}

// Lays out a branch as a gentle arc: the direction turns by `bend` radians
// around `bendAxis` over the branch's length.
void layOut(Branch& b, int pieces) {
    b.points.assign(1, b.start);
    for (int i = 0; i < pieces; ++i) {
        const double angle = b.bend * (i + 0.5) / pieces;
        const Eigen::Vector3d d = Eigen::AngleAxisd(angle, b.bendAxis) * b.direction;
        b.points.push_back(b.points.back() + d * (b.length / pieces));
    }
    b.endDirection = Eigen::AngleAxisd(b.bend, b.bendAxis) * b.direction;
}

// The trunk: radius 1 at the root (the origin), 0.9 where it splits, heading
// along +z and bending by `bend` radians in the x-z plane.
Branch trunk(double length, double bend) {
    Branch b;
    b.start = Eigen::Vector3d::Zero();
    b.direction = Eigen::Vector3d::UnitZ();
    b.planeSide = Eigen::Vector3d::UnitX();
    b.bendAxis = Eigen::Vector3d::UnitY();
    b.rStart = 1.0;
    b.rEnd = 0.9;
    b.length = length;
    b.bend = bend;
    layOut(b, 6);
    return b;
}

// Murray's law for the two children's radii and the branching angles that
// minimise the work of the flow for those radii. A WideTrunk split keeps most
// of the flow in the main vessel (child 1) and gives a thin side branch
// (child 0); the first side branch is the thinnest, a tenth of the root's.
void split(std::vector<Branch>& branches, int parentIndex, Shape shape, Random& random) {
    const Branch parent = branches[parentIndex];
    branches[parentIndex].leaf = false;
    const double r0 = parent.rEnd;
    double radii[2];
    if (shape == Shape::WideTrunk) {
        radii[0] = parentIndex == 0 ? 0.11 : random.range(0.11, 0.2);
        radii[1] = std::cbrt(std::pow(r0, 3) - std::pow(radii[0], 3));
    } else {
        const double share = random.range(0.3, 0.7);
        radii[0] = r0 * std::cbrt(share);
        radii[1] = r0 * std::cbrt(1.0 - share);
    }
    // The new plane is roughly perpendicular to the parent's own.
    const double azimuth = M_PI / 2 + random.range(-0.5, 0.5);
    const Eigen::Vector3d& d = parent.endDirection;
    Eigen::Vector3d planeSide = parent.planeSide - d * d.dot(parent.planeSide);
    planeSide = planeSide.norm() > 1e-6 ? planeSide.normalized() : anyPerpendicular(d);
    const Eigen::Vector3d side = Eigen::AngleAxisd(azimuth, d) * planeSide;
    for (int c = 0; c < 2; ++c) {
        const double r1 = radii[c], r2 = radii[1 - c];
        const double cosAngle = std::clamp(
            (std::pow(r0, 4) + std::pow(r1, 4) - std::pow(r2, 4)) / (2 * r0 * r0 * r1 * r1), -1.0,
            1.0);
        const double angle = std::acos(cosAngle);
        Branch child;
        child.parent = parentIndex;
        child.start = parent.points.back();
        const Eigen::Vector3d toSide = (c == 0 ? 1.0 : -1.0) * side;
        child.direction = (std::cos(angle) * parent.endDirection + std::sin(angle) * toSide);
        child.direction.normalize();
        child.planeSide = toSide;
        child.rStart = r1;
        child.rEnd = r1 * 0.88;
        if (shape == Shape::Long) {
            child.length = r1 * random.range(14.0, 20.0);
        } else if (shape == Shape::WideTrunk) {
            // Side branches reach well out; the main vessel is cut into
            // short pieces so that the side branches leave it close together.
            child.rEnd = c == 0 ? 0.88 * r1 : 0.97 * r1;
            child.length = c == 0 ? random.range(2.0, 3.5) : random.range(2.2, 3.0);
        } else {
            child.length = r1 * random.range(6.0, 9.0);
        }
        child.bend = random.range(-0.35, 0.35);
        child.bendAxis = Eigen::AngleAxisd(random.range(0, 2 * M_PI), child.direction) *
                         anyPerpendicular(child.direction);
        layOut(child, 6);
        branches.push_back(child);
    }
}

double segmentSegmentDistance(const Eigen::Vector3d& p0, const Eigen::Vector3d& p1,
                              const Eigen::Vector3d& q0, const Eigen::Vector3d& q1) {
    // Dense sampling is exact enough for a clearance test and has no special
    // cases for parallel segments.
    double best = INFINITY;
    const int n = 16;
    for (int i = 0; i <= n; ++i) {
        const Eigen::Vector3d p = p0 + (p1 - p0) * (double(i) / n);
        const Eigen::Vector3d d = q1 - q0;
        const double t = std::clamp((p - q0).dot(d) / d.squaredNorm(), 0.0, 1.0);
        best = std::min(best, (p - (q0 + t * d)).norm());
    }
    for (int i = 0; i <= n; ++i) {
        const Eigen::Vector3d q = q0 + (q1 - q0) * (double(i) / n);
        const Eigen::Vector3d d = p1 - p0;
        const double t = std::clamp((q - p0).dot(d) / d.squaredNorm(), 0.0, 1.0);
        best = std::min(best, (q - (p0 + t * d)).norm());
    }
    return best;
}

// Branches that do not meet at a branching point must stay well apart, or
// their union would close a loop.
bool clear(const std::vector<Branch>& branches) {
    for (size_t i = 0; i < branches.size(); ++i)
        for (size_t j = i + 1; j < branches.size(); ++j) {
            const Branch &a = branches[i], &b = branches[j];
            const bool adjacent =
                b.parent == int(i) || a.parent == int(j) || (a.parent == b.parent && a.parent >= 0);
            if (adjacent) continue;
            const double needed = 1.6 * (a.rStart + b.rStart);
            for (size_t s = 0; s + 1 < a.points.size(); ++s)
                for (size_t t = 0; t + 1 < b.points.size(); ++t)
                    if (segmentSegmentDistance(a.points[s], a.points[s + 1], b.points[t],
                                               b.points[t + 1]) < needed)
                        return false;
        }
    return true;
}

}  // namespace

std::vector<Branch> layOutTree(int tips, unsigned seed, Shape shape) {
    tips = std::max(tips, 2);
    const double trunkLength = shape == Shape::Long ? 24.0 : shape == Shape::WideTrunk ? 4.0 : 9.0;
    std::vector<Branch> branches;
    for (unsigned attempt = 0;; ++attempt) {
        Random random{uint64_t(seed) * 7919u + attempt};
        branches.clear();
        branches.push_back(trunk(trunkLength, random.range(-0.2, 0.2)));
        int leaves = 1;
        while (leaves < tips) {
            // Split the thickest leaf, so that the tips end up of similar size.
            int thickest = -1;
            for (size_t i = 0; i < branches.size(); ++i)
                if (branches[i].leaf &&
                    (thickest < 0 || branches[i].rEnd > branches[thickest].rEnd))
                    thickest = int(i);
            split(branches, thickest, shape, random);
            ++leaves;
        }
        if (clear(branches) || attempt == 1000) return branches;
    }
}

std::vector<Branch> layOutBifurcation() {
    std::vector<Branch> branches = {trunk(6.0, 0.0)};
    // An even split: both children of radius 0.9 / cbrt(2), at the angle
    // that Murray's law gives for that (about 37.5 degrees each side).
    const double r = 0.9 / std::cbrt(2.0);
    const double angle = std::acos(std::pow(0.9, 4) / (2 * 0.9 * 0.9 * r * r));
    for (int c = 0; c < 2; ++c) {
        Branch child;
        child.parent = 0;
        child.start = branches[0].points.back();
        const double sign = c == 0 ? 1.0 : -1.0;
        child.direction = Eigen::Vector3d(sign * std::sin(angle), 0, std::cos(angle));
        child.planeSide = Eigen::Vector3d(sign, 0, 0);
        child.bendAxis = Eigen::Vector3d::UnitY();
        child.rStart = r;
        child.rEnd = 0.85 * r;
        child.length = 5.0;
        layOut(child, 6);
        branches[0].leaf = false;
        branches.push_back(child);
    }
    return branches;
}

CentreLines centreLinesOf(const std::vector<Branch>& branches) {
    // Turned so that +z becomes +y: the trunk stands upright in the viewer,
    // whose camera orbits about the y axis.
    auto upright = [](const Eigen::Vector3d& p) { return Eigen::Vector3d(p.x(), p.z(), -p.y()); };
    CentreLines lines;
    std::vector<int> lastSegment(branches.size(), -1);
    for (size_t b = 0; b < branches.size(); ++b) {
        const Branch& branch = branches[b];
        const int pieces = int(branch.points.size()) - 1;
        int previous = branch.parent >= 0 ? lastSegment[branch.parent] : -1;
        for (int i = 0; i < pieces; ++i) {
            Segment s;
            s.a = upright(branch.points[i]);
            s.b = upright(branch.points[i + 1]);
            s.ra = branch.rStart + (branch.rEnd - branch.rStart) * i / pieces;
            s.rb = branch.rStart + (branch.rEnd - branch.rStart) * (i + 1) / pieces;
            s.branch = int(b);
            s.parent = previous;
            previous = int(lines.segments.size());
            lines.segments.push_back(s);
        }
        lastSegment[b] = previous;
        if (branch.leaf) {
            lines.tips.push_back(upright(branch.points.back()));
            lines.tipRadii.push_back(branch.rEnd);
        }
    }
    lines.root = upright(branches[0].start);
    lines.rootRadius = branches[0].rStart;
    measurePaths(lines);
    return lines;
}

void measurePaths(CentreLines& lines) {
    const size_t n = lines.segments.size();
    std::vector<double> toEnd(n);  // from the root to each segment's end b
    std::vector<char> hasChild(n, 0);
    for (size_t i = 0; i < n; ++i) {
        const Segment& s = lines.segments[i];
        toEnd[i] = (s.b - s.a).norm() + (s.parent >= 0 ? toEnd[s.parent] : 0.0);
        if (s.parent >= 0) hasChild[s.parent] = 1;
    }
    // Leaf segments come in the order of the tips.
    lines.tipPathLengths.clear();
    for (size_t i = 0; i < n; ++i)
        if (!hasChild[i]) lines.tipPathLengths.push_back(toEnd[i]);
}

double CentreLines::longestPath() const {
    return tipPathLengths.empty() ? 0.0
                                  : *std::max_element(tipPathLengths.begin(), tipPathLengths.end());
}

}  // namespace vessel_tree
