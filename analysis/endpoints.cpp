#include "analysis/endpoints.h"

#include <Eigen/Eigenvalues>
#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>

#include "analysis/parallel_ranges.h"

namespace {

// How much longer than wide (in standard deviations) a neighbourhood must be
// to be read as a curve; and how closely what leaves a blob must keep to one
// direction (the length of the mean of its unit directions).
constexpr double kElongation = 2.0;
constexpr double kLeavingCone = 0.7;

// Points, or groups of points in one grid cell, with their summed weight.
struct Cluster {
    Eigen::Vector3d centre = Eigen::Vector3d::Zero();  // weighted mean position
    double weight = 0.0;
    double radius = 0.0;  // the largest of the members'
    int member = -1;      // the point nearest the centre, the lowest index on ties
    bool blob = false;    // an end whose neighbourhood is a blob, not a curve
};

// A set of clusters in order of x, for the neighbours within a radius.
struct Level {
    std::vector<Cluster> clusters;
    double cellSize = 0.0;
};

// The distance that decides neighbourhoods: computed in double, rounded to
// float (as the plain test has it).
double roundedDistance(const Eigen::Vector3d& a, const Eigen::Vector3d& b) {
    return static_cast<double>(static_cast<float>((a - b).norm()));
}

// The clusters of `items` that share a cell of the given size, in order of
// their centres' x.
std::vector<Cluster> grouped(const std::vector<Cluster>& items, double cellSize) {
    using Cell = std::array<double, 3>;  // floor(x / cellSize): exact at any magnitude
    std::vector<std::pair<Cell, int>> cells(items.size());
    for (size_t k = 0; k < items.size(); ++k) {
        const Eigen::Vector3d& p = items[k].centre;
        cells[k] = {{std::floor(p.x() / cellSize), std::floor(p.y() / cellSize),
                     std::floor(p.z() / cellSize)},
                    static_cast<int>(k)};
    }
    std::sort(cells.begin(), cells.end());
    std::vector<Cluster> groups;
    for (size_t first = 0, last = 0; first < cells.size(); first = last) {
        Cluster g;
        for (last = first; last < cells.size() && cells[last].first == cells[first].first; ++last) {
            const Cluster& c = items[cells[last].second];
            g.centre += c.weight * c.centre;
            g.weight += c.weight;
            g.radius = std::max(g.radius, c.radius);
        }
        g.centre /= g.weight;
        double nearest = INFINITY;
        for (size_t k = first; k < last; ++k) {
            const Cluster& c = items[cells[k].second];
            const double d = (c.centre - g.centre).norm();
            if (d < nearest || (d == nearest && c.member < g.member))
                nearest = d, g.member = c.member;
        }
        groups.push_back(g);
    }
    std::sort(groups.begin(), groups.end(),
              [](const Cluster& a, const Cluster& b) { return a.centre.x() < b.centre.x(); });
    return groups;
}

// Calls visit(b, rounded distance) for every cluster b of the level within
// the radius of `at`: those whose x lies within it, tested exactly.
template <typename Visit>
void forNeighbours(const Level& level, const Cluster& at, const Visit& visit) {
    const std::vector<Cluster>& all = level.clusters;
    auto it = std::lower_bound(all.begin(), all.end(), at.centre.x() - at.radius,
                               [](const Cluster& c, double x) { return c.centre.x() < x; });
    for (; it != all.end() && it->centre.x() <= at.centre.x() + at.radius; ++it) {
        const double d = roundedDistance(at.centre, it->centre);
        if (d < at.radius) visit(*it, d);
    }
}

// All within the radius lie in the closed half-space facing the farthest of
// them, but for a share of kEndpointBehindShare of the weight: an end closes
// a curve.
// A neighbourhood that does not stretch along one line, kElongation times as
// far (in standard deviations) as across it, is a blob: a wide vessel's end
// contracts into a disc or a lump rather than a curve. Such a lump has a
// thickness, so only what lies more than kEndpointSlab of the radius behind
// counts; and it is an end only where its vessel leaves it: what lies in the
// outer half of the radius must lie in one direction (kLeavingCone). A ball,
// a whole closed piece shrunk on itself, has nothing there and no end.
bool isEnd(const Level& level, const Cluster& at, bool& isBlob) {
    const Cluster* far = nullptr;
    double best = 0.0, total = 0.0;
    Eigen::Vector3d sum = Eigen::Vector3d::Zero(), leaving = Eigen::Vector3d::Zero();
    Eigen::Matrix3d moments = Eigen::Matrix3d::Zero();
    double outer = 0.0;
    forNeighbours(level, at, [&](const Cluster& b, double d) {
        if (d > best || (d == best && d > 0.0 && b.member < far->member)) best = d, far = &b;
        const Eigen::Vector3d offset = b.centre - at.centre;
        total += b.weight;
        sum += b.weight * offset;
        moments += b.weight * offset * offset.transpose();
        if (d >= 0.5 * at.radius) leaving += b.weight / d * offset, outer += b.weight;
    });
    if (!far) return false;
    const Eigen::Vector3d mean = sum / total;
    const Eigen::Vector3d variances =
        Eigen::SelfAdjointEigenSolver<Eigen::Matrix3d>(moments / total - mean * mean.transpose(),
                                                       Eigen::EigenvaluesOnly)
            .eigenvalues();
    const bool blob = !(variances(2) >= kElongation * kElongation * variances(1));
    isBlob = blob;
    if (blob && !(outer > 0.0 && leaving.norm() >= kLeavingCone * outer)) return false;
    const Eigen::Vector3d towards = (far->centre - at.centre).normalized();
    const double slab = blob ? kEndpointSlab * at.radius : 0.0;
    double behind = 0.0;
    forNeighbours(level, at, [&](const Cluster& b, double) {
        if ((b.centre - at.centre).dot(towards) < -slab) behind += b.weight;
    });
    return behind <= kEndpointBehindShare * total;
}

int findGroup(std::vector<int>& parent, int k) {
    while (parent[k] != k) k = parent[k] = parent[parent[k]];
    return k;
}

// One end per group of ends within one another's radius: the member nearest
// the group's middle (the mean of their positions). A blob's radius reaches
// far past the blob, so a blob and a curve's end are one end only where each
// lies within the other's radius: a wide end does not swallow the tip of a
// thin vessel beside it.
std::vector<int> mergedEnds(const std::vector<Cluster>& ends) {
    const int count = static_cast<int>(ends.size());
    std::vector<int> parent(ends.size());
    std::iota(parent.begin(), parent.end(), 0);
    for (int a = 0; a < count; ++a)
        for (int b = a + 1; b < count; ++b)
            if (roundedDistance(ends[a].centre, ends[b].centre) <
                (ends[a].blob == ends[b].blob ? std::max(ends[a].radius, ends[b].radius)
                                              : std::min(ends[a].radius, ends[b].radius)))
                parent[findGroup(parent, b)] = findGroup(parent, a);
    std::vector<Eigen::Vector3d> middle(ends.size(), Eigen::Vector3d::Zero());
    std::vector<double> size(ends.size(), 0.0);
    for (int a = 0; a < count; ++a) {
        middle[findGroup(parent, a)] += ends[a].centre;
        size[findGroup(parent, a)] += 1.0;
    }
    std::vector<int> kept(ends.size(), -1);  // per group, the index of its end
    for (int a = 0; a < count; ++a) {
        const int g = findGroup(parent, a);
        const Eigen::Vector3d mid = middle[g] / size[g];
        const auto distance = [&](int k) { return (ends[k].centre - mid).norm(); };
        if (kept[g] < 0 || distance(a) < distance(kept[g]) ||
            (distance(a) == distance(kept[g]) && ends[a].member < ends[kept[g]].member))
            kept[g] = a;
    }
    std::vector<int> members;
    for (int k : kept)
        if (k >= 0) members.push_back(ends[k].member);
    std::sort(members.begin(), members.end());
    return members;
}

}  // namespace

void findEndpoints(const Eigen::MatrixXd& S, const Eigen::MatrixXd& V, const Eigen::MatrixXi& F,
                   std::vector<int>& endpoints) {
    const int faceCount = static_cast<int>(F.rows());
    double total = 0.0;
    for (int f = 0; f < faceCount; ++f)
        for (int k = 0; k < 3; ++k) total += (S.row(F(f, (k + 1) % 3)) - S.row(F(f, k))).norm();
    // Three times the mean face-edge length. Without faces it is NaN, with
    // only collapsed ones 0: no point then has a neighbour.
    const double r = total / (faceCount * 3.0) * 3.0;
    if (!(r > 0.0) || !std::isfinite(r)) return;

    std::vector<Cluster> points;
    for (int i = 0; i < S.rows(); ++i) {
        if (!S.row(i).allFinite()) continue;  // nobody's neighbour
        const double moved = kMovedRadius * (S.row(i) - V.row(i)).norm();
        points.push_back({S.row(i).transpose(), 1.0, std::max(r, moved), i});  // NaN: r
    }
    // Level k groups the points in cells of r / 4 times 2^k. Every cluster
    // of level 0 is tested; the neighbours of one of radius rho are counted
    // on the coarsest level whose cells are at most rho / 8 (so the work
    // stays small however far the radius reaches). With radius r that is
    // level 0 itself: points closer than r / 4 count as one, no farther ones.
    std::vector<Level> levels{{grouped(points, 0.25 * r), 0.25 * r}};
    const std::vector<Cluster> tested = levels[0].clusters;
    std::vector<int> levelOf(tested.size(), 0);
    for (size_t q = 0; q < tested.size(); ++q)
        while (std::ldexp(levels[0].cellSize, levelOf[q] + 1) <= tested[q].radius / 8.0)
            ++levelOf[q];
    const int coarsest = tested.empty() ? 0 : *std::max_element(levelOf.begin(), levelOf.end());
    while (static_cast<int>(levels.size()) <= coarsest) {
        const double cellSize = 2.0 * levels.back().cellSize;
        levels.push_back({grouped(levels.back().clusters, cellSize), cellSize});
    }
    std::vector<char> end(tested.size(), 0);  // 0 none, 1 a curve's end, 2 a blob's
    parallelRanges(static_cast<int>(tested.size()), 256, [&](int first, int last) {
        for (int q = first; q < last; ++q) {
            bool blob = false;
            end[q] = isEnd(levels[levelOf[q]], tested[q], blob) ? (blob ? 2 : 1) : 0;
        }
    });
    std::vector<Cluster> ends;
    for (size_t q = 0; q < tested.size(); ++q)
        if (end[q]) {
            ends.push_back(tested[q]);
            ends.back().blob = end[q] == 2;
        }
    const std::vector<int> members = mergedEnds(ends);
    endpoints.insert(endpoints.end(), members.begin(), members.end());
}

void findEndpoints(const Eigen::MatrixXd& S, const Eigen::MatrixXi& F,
                   std::vector<int>& endpoints) {
    findEndpoints(S, S, F, endpoints);
}
