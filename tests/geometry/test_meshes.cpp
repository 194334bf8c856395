#include "test_meshes.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

#include "vessel_tree.h"

namespace test_meshes {

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
            const auto [it, added] = mid.try_emplace(std::minmax(a, b), static_cast<int>(v.size()));
            if (added) v.push_back((v[a] + v[b]).normalized());
            return it->second;
        };
        std::vector<Eigen::RowVector3i> next;
        for (const auto& x : f) {
            const int a = midpoint(x(0), x(1)), b = midpoint(x(1), x(2)), c = midpoint(x(2), x(0));
            next.insert(next.end(), {{x(0), a, c}, {x(1), b, a}, {x(2), c, b}, {a, b, c}});
        }
        f.swap(next);
    }
    Mesh m{Eigen::MatrixXd(v.size(), 3), Eigen::MatrixXi(f.size(), 3)};
    for (size_t i = 0; i < v.size(); ++i) m.V.row(i) = radius * v[i];
    for (size_t i = 0; i < f.size(); ++i) m.F.row(i) = f[i];
    return m;
}

Mesh cylinder(double radius, double length, int rings, int segments) {
    Mesh m;
    vessel_tree::openTubeMesh(radius, length, segments, rings - 1, m.V, m.F);
    return m;
}

Mesh cappedCylinder(double radius, double length, int rings, int segments) {
    Mesh m = cylinder(radius, length, rings, segments);  // outward
    const int n = static_cast<int>(m.V.rows()), f = static_cast<int>(m.F.rows()),
              top = n - segments;
    m.V.conservativeResize(n + 2, 3);
    m.V.bottomRows(2) << 0, 0, 0, 0, 0, length;
    m.F.conservativeResize(f + 2 * segments, 3);
    for (int s = 0; s < segments; ++s) {
        const int a = s, b = (s + 1) % segments;
        m.F.row(f + 2 * s) << n, b, a;
        m.F.row(f + 2 * s + 1) << n + 1, top + a, top + b;
    }
    return m;
}

Mesh grid(int nx, int ny, double sx, double sy) {
    Mesh m{Eigen::MatrixXd((nx + 1) * (ny + 1), 3), Eigen::MatrixXi(2 * nx * ny, 3)};
    for (int j = 0; j <= ny; ++j)
        for (int i = 0; i <= nx; ++i) m.V.row(j * (nx + 1) + i) << sx * i / nx, sy * j / ny, 0.0;
    for (int k = 0; k < nx * ny; ++k) {
        const int a = k / nx * (nx + 1) + k % nx, d = a + nx + 2;
        m.F.row(2 * k) << a, a + 1, d;
        m.F.row(2 * k + 1) << a, d, d - 1;
    }
    return m;
}

}  // namespace test_meshes
