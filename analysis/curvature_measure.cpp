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

}  // namespace

CurvatureMeasure::CurvatureMeasure(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F)
    : V_(V), sections_(findEndSections(V, F)) {
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
    // Area-weighted vertex normals: a sliver's hardly counts.
    Eigen::MatrixXd normals = Eigen::MatrixXd::Zero(n, 3);
    for (Eigen::Index f = 0; f < F.rows(); ++f) {
        const Eigen::RowVector3d a = V.row(F(f, 1)) - V.row(F(f, 0));
        const Eigen::RowVector3d c = a.cross(Eigen::RowVector3d(V.row(F(f, 2)) - V.row(F(f, 0))));
        if (c.allFinite())
            for (int k = 0; k < 3; ++k) normals.row(F(f, k)) += c;
    }
    Eigen::SparseMatrix<double> M;
    geometry::massmatrix(V, F, geometry::MASSMATRIX_TYPE_VORONOI, M);
    q_.resize(static_cast<size_t>(n));
    signed_.resize(static_cast<size_t>(n));
    area_.resize(static_cast<size_t>(n));
    onBoundary_.assign(static_cast<size_t>(n), 0);
    for (int i = 0; i < n; ++i) {
        const double area = M.coeff(i, i);
        const bool hasArea = area > 0.0 && std::isfinite(area);
        q_[i] = hasArea ? LV.row(i).norm() / area : kNaN;
        const double length = normals.row(i).stableNorm();
        signed_[i] = hasArea && length > 0.0 ? LV.row(i).dot(normals.row(i)) / length / area : kNaN;
        area_[i] = hasArea ? area : 0.0;
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

double CurvatureMeasure::around(int i, bool* readsCut) const {
    if (readsCut) *readsCut = false;
    std::vector<double> distance(q_.size(), kFar);
    std::vector<std::pair<double, double>> values;
    std::vector<int> touched;
    // The scale: a reach that takes in as much as the local radius. A region
    // flatter than its own reach (a flat cap's middle) is widened.
    double reach = 9.0 * meanEdge_, m = kNaN;
    for (int round = 0; round < 40; ++round) {
        m = bendWithin(i, 0.0, reach, distance, touched, values);
        if (!std::isfinite(m) || values.size() >= kMostVertices || m * reach >= 1.0) break;
        reach *= 1.5;
    }
    if (!(m > 0.0) || !std::isfinite(m)) return m;
    for (int round = 0; round < 3; ++round) {
        const double next = bendWithin(i, 0.0, 3.0 / m, distance, touched, values);
        if (!(next > 0.0) || !std::isfinite(next)) break;
        m = next;
    }
    // The wall: between two and four radii away, past the end's own cap,
    // whose bending would otherwise count against a wide end.
    const double wall = bendWithin(i, 2.0 / m, 4.0 / m, distance, touched, values);
    if (std::isfinite(wall) && wall > 0.0) m = wall;

    // A cut end near the vertex, of about the vessel's width, gives the
    // width exactly: the nearest of them (relative to its radius).
    const EndSection* cut = nullptr;
    double nearest = kCutReach;
    for (const EndSection& section : sections_) {
        const double d = (V_.row(i).transpose() - section.centre).norm() / section.radius;
        if (d <= nearest && section.radius * m >= 0.5 && section.radius * m <= 2.0)
            nearest = d, cut = &section;
    }
    if (!cut) return m;
    if (readsCut) *readsCut = true;
    return 1.0 / cut->radius;
}

// Dijkstra over the edges, nearest first, so that the vertex cap keeps the
// nearest ones. `distance` comes and goes all infinite.
double CurvatureMeasure::bendWithin(int i, double inner, double reach,
                                    std::vector<double>& distance, std::vector<int>& touched,
                                    std::vector<std::pair<double, double>>& values) const {
    using Entry = std::pair<double, int>;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> queue;
    values.clear();
    distance[i] = 0.0;
    touched.assign(1, i);
    queue.emplace(0.0, i);
    while (!queue.empty() && touched.size() < kMostVertices) {
        const auto [d, v] = queue.top();
        queue.pop();
        if (d > distance[v]) continue;
        if (d >= inner && !onBoundary_[v] && std::isfinite(signed_[v]))
            values.emplace_back(signed_[v], area_[v]);
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
    // Curvature integrated over the region, over its area: fold lines
    // (a mesh refined without smoothing holds all its bending there), bumps
    // of either sign and slivers count for what they bend, not for how many
    // vertices they have. Faces turned inward turn only the sign.
    double bend = 0.0, area = 0.0;
    for (const auto& [q, a] : values) bend += q * a, area += a;
    return area > 0.0 ? std::abs(bend) / area : kNaN;
}
