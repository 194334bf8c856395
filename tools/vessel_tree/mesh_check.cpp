#include <Eigen/Geometry>
#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

#include "vessel_tree.h"

namespace vessel_tree {

namespace {

struct DisjointSets {
    std::vector<int> parent;
    explicit DisjointSets(int n) : parent(n) { std::iota(parent.begin(), parent.end(), 0); }
    int find(int i) {
        while (parent[i] != i) i = parent[i] = parent[parent[i]];
        return i;
    }
    void join(int a, int b) { parent[find(a)] = find(b); }
};

// One face side of an undirected edge: the edge (lo, hi), the face, the corner
// of the face where the side starts, and whether the face walks it lo to hi.
struct EdgeSide {
    int lo, hi, face, corner;
    bool forward;
};

}  // namespace

MeshReport checkMesh(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F) {
    MeshReport r;
    const int nv = int(V.rows()), nf = int(F.rows());
    r.vertices = nv;
    r.faces = nf;

    std::vector<EdgeSide> sides;
    sides.reserve(3 * nf);
    std::vector<char> used(nv, 0);
    r.minAngleDegrees = 180;
    r.minArea = nf > 0 ? INFINITY : 0;
    double edgeSum = 0;
    for (int f = 0; f < nf; ++f) {
        for (int k = 0; k < 3; ++k) {
            const int a = F(f, k), b = F(f, (k + 1) % 3);
            used[a] = 1;
            sides.push_back({std::min(a, b), std::max(a, b), f, k, a < b});
            edgeSum += (V.row(b) - V.row(a)).norm();
        }
        const Eigen::Vector3d p0 = V.row(F(f, 0)), p1 = V.row(F(f, 1)), p2 = V.row(F(f, 2));
        r.signedVolume += p0.dot(p1.cross(p2)) / 6.0;
        r.minArea = std::min(r.minArea, 0.5 * (p1 - p0).cross(p2 - p0).norm());
        const Eigen::Vector3d p[3] = {p0, p1, p2};
        for (int k = 0; k < 3; ++k) {
            const Eigen::Vector3d u = p[(k + 1) % 3] - p[k], w = p[(k + 2) % 3] - p[k];
            const double angle = std::atan2(u.cross(w).norm(), u.dot(w)) * 180.0 / M_PI;
            r.minAngleDegrees = std::min(r.minAngleDegrees, angle);
        }
    }
    if (nf > 0) r.meanEdgeLength = edgeSum / (3.0 * nf);
    r.unusedVertices = int(std::count(used.begin(), used.end(), 0));

    std::sort(sides.begin(), sides.end(), [](const EdgeSide& x, const EdgeSide& y) {
        return x.lo != y.lo ? x.lo < y.lo : x.hi != y.hi ? x.hi < y.hi : x.face < y.face;
    });

    // Corners (face, k) are joined across interior edges; the corners around
    // a manifold vertex then form exactly one set.
    DisjointSets faces(nf), corners(3 * nf);
    int edges = 0;
    for (size_t i = 0; i < sides.size();) {
        size_t j = i;
        while (j < sides.size() && sides[j].lo == sides[i].lo && sides[j].hi == sides[i].hi) ++j;
        ++edges;
        const size_t count = j - i;
        if (count == 1) ++r.boundaryEdges;
        if (count > 2) ++r.nonManifoldEdges;
        if (count == 2) {
            const EdgeSide &s = sides[i], &t = sides[i + 1];
            if (s.forward == t.forward) ++r.misorientedEdges;
            faces.join(s.face, t.face);
            // The corner of each face at lo and at hi.
            auto cornerAt = [&](const EdgeSide& e, int vertex) {
                for (int k = 0; k < 3; ++k)
                    if (F(e.face, k) == vertex) return 3 * e.face + k;
                return 3 * e.face;
            };
            corners.join(cornerAt(s, s.lo), cornerAt(t, s.lo));
            corners.join(cornerAt(s, s.hi), cornerAt(t, s.hi));
        } else {
            for (size_t k = i + 1; k < j; ++k) faces.join(sides[i].face, sides[k].face);
        }
        i = j;
    }

    std::vector<int> firstSet(nv, -1);
    std::vector<char> flagged(nv, 0);
    for (int f = 0; f < nf; ++f)
        for (int k = 0; k < 3; ++k) {
            const int v = F(f, k), set = corners.find(3 * f + k);
            if (firstSet[v] < 0)
                firstSet[v] = set;
            else if (firstSet[v] != set && !flagged[v]) {
                flagged[v] = 1;
                ++r.nonManifoldVertices;
            }
        }
    for (int f = 0; f < nf; ++f)
        if (faces.find(f) == f) ++r.components;
    r.eulerCharacteristic = (nv - r.unusedVertices) - edges + nf;
    return r;
}

}  // namespace vessel_tree
