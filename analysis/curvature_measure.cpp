#include "analysis/curvature_measure.h"

#include <Eigen/Geometry>
#include <Eigen/Sparse>
#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <queue>

#include "geometry/massmatrix.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kFar = std::numeric_limits<double>::infinity();
// Enough vertices for a steady median on the widest vessel end, few enough
// that reading every end stays cheap whatever the radius comes out as (a
// flat sheet gives an infinite one).
constexpr size_t kMostVertices = 50000;

double median(std::vector<double>& values) {
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

}  // namespace

CurvatureMeasure::CurvatureMeasure(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F) : V_(V) {
    const int n = static_cast<int>(V.rows());
    geometry::vertex_adjacency(n, F, adjacency_);
    std::vector<int> faceCount(adjacency_.list.size(), 0);
    const auto countEdge = [&](int a, int b) {
        const auto first = adjacency_.list.begin() + adjacency_.start[a];
        const auto last = adjacency_.list.begin() + adjacency_.start[a + 1];
        ++faceCount[std::lower_bound(first, last, b) - adjacency_.list.begin()];
    };

    // L V row by row as sums of cot weights times edge vectors: the same as
    // the product, but free of the cancellation that far-out coordinates
    // would bring into L_ii V_i.
    Eigen::MatrixXd LV = Eigen::MatrixXd::Zero(n, 3);
    for (Eigen::Index f = 0; f < F.rows(); ++f) {
        const Eigen::RowVector3d p[3] = {V.row(F(f, 0)), V.row(F(f, 1)), V.row(F(f, 2))};
        for (int c = 0; c < 3; ++c)
            if (F(f, c) != F(f, (c + 1) % 3)) countEdge(F(f, c), F(f, (c + 1) % 3));
        for (int c = 0; c < 3; ++c)
            if (F(f, c) != F(f, (c + 1) % 3)) countEdge(F(f, (c + 1) % 3), F(f, c));
        const double dblA = (p[1] - p[0]).cross(p[2] - p[0]).norm();
        if (!(dblA > 0.0) || !std::isfinite(dblA)) continue;
        for (int c = 0; c < 3; ++c) {
            const int j = (c + 1) % 3, k = (c + 2) % 3;
            const double w = 0.5 * (p[j] - p[c]).dot(p[k] - p[c]) / dblA;
            LV.row(F(f, j)) += w * (p[k] - p[j]);
            LV.row(F(f, k)) += w * (p[j] - p[k]);
        }
    }
    Eigen::SparseMatrix<double> M;
    geometry::massmatrix(V, F, geometry::MASSMATRIX_TYPE_VORONOI, M);
    q_.resize(static_cast<size_t>(n));
    onBoundary_.assign(static_cast<size_t>(n), 0);
    for (int i = 0; i < n; ++i) {
        const double area = M.coeff(i, i);
        q_[i] = area > 0.0 && std::isfinite(area) ? LV.row(i).norm() / area : kNaN;
        for (int e = adjacency_.start[i]; e < adjacency_.start[i + 1]; ++e)
            if (faceCount[e] == 1) onBoundary_[i] = 1;
    }
    // The mean edge length over the finite ones: one vertex at NaN must not
    // leave every other end without a neighbourhood.
    double sum = 0.0, count = 0.0;
    for (Eigen::Index f = 0; f < F.rows(); ++f)
        for (int k = 0; k < 3; ++k) {
            const double length = (V.row(F(f, (k + 1) % 3)) - V.row(F(f, k))).norm();
            if (std::isfinite(length)) sum += length, count += 1.0;
        }
    meanEdge_ = sum / count;
}

double CurvatureMeasure::around(int i) const {
    std::vector<double> distance(q_.size(), kFar), values;
    std::vector<int> touched;
    double radius = 3.0 * meanEdge_;
    for (int round = 0; round < 3; ++round) {
        const double m = medianWithin(i, 3.0 * radius, distance, touched, values);
        if (!(m > 0.0) || !std::isfinite(m)) return m;
        radius = 2.0 / m;
    }
    return medianWithin(i, 3.0 * radius, distance, touched, values);
}

// Dijkstra over the edges, nearest first, so that the vertex cap keeps the
// nearest ones. `distance` comes and goes all infinite.
double CurvatureMeasure::medianWithin(int i, double reach, std::vector<double>& distance,
                                      std::vector<int>& touched,
                                      std::vector<double>& values) const {
    using Entry = std::pair<double, int>;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> queue;
    values.clear();
    distance[i] = 0.0;
    touched.assign(1, i);
    queue.emplace(0.0, i);
    while (!queue.empty() && values.size() < kMostVertices) {
        const auto [d, v] = queue.top();
        queue.pop();
        if (d > distance[v]) continue;
        if (!onBoundary_[v] && std::isfinite(q_[v])) values.push_back(q_[v]);
        for (int e = adjacency_.start[v]; e < adjacency_.start[v + 1]; ++e) {
            const int w = adjacency_.list[e];
            const double next = d + (V_.row(w) - V_.row(v)).norm();
            if (!(next <= reach) || !(next < distance[w])) continue;
            if (distance[w] == kFar) touched.push_back(w);
            distance[w] = next;
            queue.emplace(next, w);
        }
    }
    for (int v : touched) distance[v] = kFar;
    if (values.empty()) return kNaN;
    const double flat = 0.1 * median(values);
    values.erase(std::remove_if(values.begin(), values.end(), [&](double q) { return q < flat; }),
                 values.end());
    return median(values);
}
