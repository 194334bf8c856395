#include "test_meshes.h"

#include <cmath>
#include <map>
#include <utility>
#include <vector>

#include "vessel_tree.h"

namespace test_meshes {

namespace {

const double kPi = 3.14159265358979323846;

Mesh fromLists(const std::vector<Eigen::RowVector3d>& v, const std::vector<Eigen::RowVector3i>& f) {
    Mesh m;
    m.V.resize(static_cast<Eigen::Index>(v.size()), 3);
    m.F.resize(static_cast<Eigen::Index>(f.size()), 3);
    for (size_t i = 0; i < v.size(); ++i) m.V.row(static_cast<Eigen::Index>(i)) = v[i];
    for (size_t i = 0; i < f.size(); ++i) m.F.row(static_cast<Eigen::Index>(i)) = f[i];
    return m;
}

// Quads between consecutive rings of `segments` vertices, rings starting at
// index `first`; the faces point away from the axis when the rings go along +z
// counter-clockwise seen from +z.
void ringQuads(int first, int rings, int segments, std::vector<Eigen::RowVector3i>& f) {
    for (int r = 0; r + 1 < rings; ++r)
        for (int s = 0; s < segments; ++s) {
            const int a = first + r * segments + s, b = first + r * segments + (s + 1) % segments;
            const int c = a + segments, d = b + segments;
            f.emplace_back(a, b, d);
            f.emplace_back(a, d, c);
        }
}

}  // namespace

Mesh cube() {  // corner i has x = bit 0, y = bit 1, z = bit 2
    Mesh m{Eigen::MatrixXd(8, 3), Eigen::MatrixXi(12, 3)};
    for (int i = 0; i < 8; ++i) m.V.row(i) << (i & 1), (i >> 1) & 1, (i >> 2) & 1;
    // Two triangles on each side: z = 0, z = 1, y = 0, y = 1, x = 0, x = 1.
    m.F << 0, 2, 3, 0, 3, 1, 4, 5, 7, 4, 7, 6, 0, 1, 5, 0, 5, 4, 2, 6, 7, 2, 7, 3, 0, 4, 6, 0, 6, 2,
        1, 3, 7, 1, 7, 5;
    return m;
}

Mesh icosphere(double radius, int levels) {
    const double t = (1.0 + std::sqrt(5.0)) / 2.0;
    std::vector<Eigen::RowVector3d> v = {{-1, t, 0}, {1, t, 0}, {-1, -t, 0}, {1, -t, 0},
                                         {0, -1, t}, {0, 1, t}, {0, -1, -t}, {0, 1, -t},
                                         {t, 0, -1}, {t, 0, 1}, {-t, 0, -1}, {-t, 0, 1}};
    std::vector<Eigen::RowVector3i> f = {
        {0, 11, 5},  {0, 5, 1},  {0, 1, 7},  {0, 7, 10}, {0, 10, 11}, {1, 5, 9}, {5, 11, 4},
        {11, 10, 2}, {10, 7, 6}, {7, 1, 8},  {3, 9, 4},  {3, 4, 2},   {3, 2, 6}, {3, 6, 8},
        {3, 8, 9},   {4, 9, 5},  {2, 4, 11}, {6, 2, 10}, {8, 6, 7},   {9, 8, 1}};
    for (auto& p : v) p.normalize();
    for (int l = 0; l < levels; ++l) {
        std::map<std::pair<int, int>, int> mid;
        auto midpoint = [&](int a, int b) {
            const auto [it, added] =
                mid.try_emplace({std::min(a, b), std::max(a, b)}, static_cast<int>(v.size()));
            if (added) v.push_back((v[a] + v[b]).normalized());
            return it->second;
        };
        std::vector<Eigen::RowVector3i> next;
        for (const auto& tri : f) {
            const int a = midpoint(tri(0), tri(1)), b = midpoint(tri(1), tri(2)),
                      c = midpoint(tri(2), tri(0));
            next.emplace_back(tri(0), a, c);
            next.emplace_back(tri(1), b, a);
            next.emplace_back(tri(2), c, b);
            next.emplace_back(a, b, c);
        }
        f.swap(next);
    }
    for (auto& p : v) p *= radius;
    return fromLists(v, f);
}

Mesh cylinder(double radius, double length, int rings, int segments) {
    Mesh m;
    vessel_tree::openTubeMesh(radius, length, segments, rings - 1, m.V, m.F);
    return m;
}

Mesh capsule(double radius, double length, int rings, int segments) {
    // Rings along a profile: the lower hemisphere, the tube, the upper
    // hemisphere; a pole vertex closes each end.
    const int capRings = std::max(2, segments / 4);
    std::vector<std::pair<double, double>> profile;  // (ring radius, z)
    for (int k = 1; k <= capRings; ++k) {
        const double phi = 0.5 * kPi * k / capRings;  // from the pole to the equator
        profile.emplace_back(radius * std::sin(phi), -radius * std::cos(phi));
    }
    for (int r = 1; r + 1 < rings; ++r) profile.emplace_back(radius, length * r / (rings - 1));
    for (int k = capRings; k >= 1; --k) {
        const double phi = 0.5 * kPi * k / capRings;
        profile.emplace_back(radius * std::sin(phi), length + radius * std::cos(phi));
    }
    std::vector<Eigen::RowVector3d> v;
    std::vector<Eigen::RowVector3i> f;
    v.emplace_back(0.0, 0.0, -radius);
    for (const auto& [pr, z] : profile)
        for (int s = 0; s < segments; ++s) {
            const double a = 2.0 * kPi * s / segments;
            v.emplace_back(pr * std::cos(a), pr * std::sin(a), z);
        }
    const int nr = static_cast<int>(profile.size());
    const int top = static_cast<int>(v.size());
    v.emplace_back(0.0, 0.0, length + radius);
    for (int s = 0; s < segments; ++s) {
        f.emplace_back(0, 1 + (s + 1) % segments, 1 + s);
        f.emplace_back(top, 1 + (nr - 1) * segments + s,
                       1 + (nr - 1) * segments + (s + 1) % segments);
    }
    ringQuads(1, nr, segments, f);
    return fromLists(v, f);
}

Mesh torus(double R, double r, int n, int m) {
    Mesh t;
    vessel_tree::torusMesh(R, r, n, m, t.V, t.F);
    return t;
}

Mesh grid(int nx, int ny, double sx, double sy) {
    std::vector<Eigen::RowVector3d> v;
    std::vector<Eigen::RowVector3i> f;
    for (int j = 0; j <= ny; ++j)
        for (int i = 0; i <= nx; ++i) v.emplace_back(sx * i / nx, sy * j / ny, 0.0);
    for (int j = 0; j < ny; ++j)
        for (int i = 0; i < nx; ++i) {
            const int a = j * (nx + 1) + i, b = a + 1, c = a + nx + 1, d = c + 1;
            f.emplace_back(a, b, d);
            f.emplace_back(a, d, c);
        }
    return fromLists(v, f);
}

Mesh flipped(const Mesh& m) {
    Mesh out{m.V, {}};
    vessel_tree::inwardCopy(m.F, out.F);
    return out;
}

Mesh soup(const Mesh& m) {
    Mesh out;
    out.V.resize(3 * m.F.rows(), 3);
    out.F.resize(m.F.rows(), 3);
    for (Eigen::Index f = 0; f < m.F.rows(); ++f)
        for (int c = 0; c < 3; ++c) {
            out.V.row(3 * f + c) = m.V.row(m.F(f, c));
            out.F(f, c) = static_cast<int>(3 * f + c);
        }
    return out;
}

}  // namespace test_meshes
