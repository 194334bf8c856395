#include "analysis/end_sections.h"

#include <Eigen/Geometry>
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "analysis/boundary_loops.h"

namespace {

// The faces around each edge: every face's three edges sorted by their
// vertex pair, so an edge's faces are one run.
struct EdgeFaces {
    std::vector<std::pair<uint64_t, int>> sorted;  // (edge key, face * 3 + k)
    std::vector<int> runOf;                        // face * 3 + k -> its run's first entry

    explicit EdgeFaces(const Eigen::MatrixXi& F) : runOf(static_cast<size_t>(F.rows()) * 3) {
        sorted.reserve(runOf.size());
        for (Eigen::Index f = 0; f < F.rows(); ++f)
            for (int k = 0; k < 3; ++k)
                sorted.emplace_back(key(F(f, k), F(f, (k + 1) % 3)), static_cast<int>(3 * f + k));
        std::sort(sorted.begin(), sorted.end());
        for (size_t first = 0, last = 0; first < sorted.size(); first = last) {
            for (last = first; last < sorted.size() && sorted[last].first == sorted[first].first;)
                ++last;
            for (size_t k = first; k < last; ++k) runOf[sorted[k].second] = static_cast<int>(first);
        }
    }
    static uint64_t key(int a, int b) {
        return (static_cast<uint64_t>(static_cast<uint32_t>(std::min(a, b))) << 32) |
               static_cast<uint32_t>(std::max(a, b));
    }
    // Calls visit(g) for every face g on edge k of face f, f itself too.
    template <typename Visit>
    void around(int f, int k, const Visit& visit) const {
        const uint64_t edge = sorted[runOf[3 * f + k]].first;
        for (size_t e = runOf[3 * f + k]; e < sorted.size() && sorted[e].first == edge; ++e)
            visit(sorted[e].second / 3);
    }
};

void addLoops(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F,
              std::vector<EndSection>& sections) {
    for (const std::vector<int>& loop : boundaryLoops(F)) {
        EndSection s;
        double length = 0.0;
        for (size_t k = 0; k < loop.size(); ++k) {
            const Eigen::Vector3d a = V.row(loop[k]), b = V.row(loop[(k + 1) % loop.size()]);
            s.centre += (a - b).norm() * 0.5 * (a + b);
            length += (a - b).norm();
        }
        if (!(length > 0.0)) continue;
        s.centre /= length;
        for (int v : loop) s.radius += (V.row(v).transpose() - s.centre).norm() / loop.size();
        if (std::isfinite(s.radius)) sections.push_back(s);
    }
}

void addCaps(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F,
             std::vector<EndSection>& sections) {
    const EdgeFaces edges(F);
    const Eigen::Index faceCount = F.rows();
    Eigen::MatrixXd N(faceCount, 3);
    Eigen::VectorXd area(faceCount);
    for (Eigen::Index f = 0; f < faceCount; ++f) {
        const Eigen::Vector3d a = V.row(F(f, 0)), b = V.row(F(f, 1)), c = V.row(F(f, 2));
        const Eigen::Vector3d n = (b - a).cross(c - a);
        area(f) = 0.5 * n.norm();
        N.row(f).setZero();
        if (area(f) > 0.0 && std::isfinite(area(f))) N.row(f) = (n / n.norm()).transpose();
    }
    const double within = std::cos(kCapAngle * M_PI / 180.0);
    std::vector<char> taken(static_cast<size_t>(faceCount), 0);
    std::vector<int> region;
    for (Eigen::Index seed = 0; seed < faceCount; ++seed) {
        if (taken[seed] || N.row(seed).isZero()) continue;
        // Every face against the seed's normal, not its neighbour's: a
        // smooth wall bends away within a few faces.
        region.assign(1, static_cast<int>(seed));
        taken[seed] = 1;
        for (size_t k = 0; k < region.size(); ++k)
            for (int e = 0; e < 3; ++e)
                edges.around(region[k], e, [&](int g) {
                    if (!taken[g] && N.row(g).dot(N.row(seed)) >= within) {
                        taken[g] = 1;
                        region.push_back(g);
                    }
                });
        if (static_cast<int>(region.size()) < kCapFaces) continue;
        double total = 0.0;
        Eigen::Vector3d centre = Eigen::Vector3d::Zero();
        for (int f : region) {
            total += area(f);
            centre +=
                area(f) * (V.row(F(f, 0)) + V.row(F(f, 1)) + V.row(F(f, 2))).transpose() / 3.0;
        }
        centre /= total;
        double farthest = 0.0;
        for (int f : region)
            for (int k = 0; k < 3; ++k)
                farthest = std::max(farthest, (V.row(F(f, k)).transpose() - centre).norm());
        if (total >= 0.5 * M_PI * farthest * farthest && std::isfinite(total))
            sections.push_back({centre, std::sqrt(total / M_PI)});
    }
}

}  // namespace

std::vector<EndSection> findEndSections(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F) {
    std::vector<EndSection> sections;
    addLoops(V, F, sections);
    addCaps(V, F, sections);
    return sections;
}
