#include "analysis/boundary_loops.h"

#include <algorithm>
#include <array>
#include <map>
#include <vector>

std::vector<std::vector<int>> boundaryLoops(const Eigen::MatrixXi& F) {
    // Every edge as (lower, upper, from, to) in its face's direction.
    std::vector<std::array<int, 4>> edges;
    edges.reserve(3 * static_cast<size_t>(F.rows()));
    for (Eigen::Index f = 0; f < F.rows(); ++f)
        for (int k = 0; k < 3; ++k) {
            const int a = F(f, k), b = F(f, (k + 1) % 3);
            if (a != b) edges.push_back({std::min(a, b), std::max(a, b), a, b});
        }
    std::sort(edges.begin(), edges.end());
    std::multimap<int, int> next;  // the boundary edges, from -> to
    for (size_t first = 0, last = 0; first < edges.size(); first = last) {
        for (last = first; last < edges.size() && edges[last][0] == edges[first][0] &&
                           edges[last][1] == edges[first][1];
             ++last) {
        }
        if (last - first == 1) next.emplace(edges[first][2], edges[first][3]);
    }

    std::vector<std::vector<int>> loops;
    while (!next.empty()) {
        std::vector<int> loop{next.begin()->first};
        int at = next.begin()->second;
        next.erase(next.begin());
        for (auto step = next.find(at); at != loop[0] && step != next.end(); step = next.find(at)) {
            loop.push_back(at);
            at = step->second;
            next.erase(step);
        }
        if (at == loop[0] && loop.size() >= 3) loops.push_back(std::move(loop));
    }
    return loops;
}

bool closeBoundaryLoops(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F, Eigen::MatrixXd& V2,
                        Eigen::MatrixXi& F2) {
    std::vector<Eigen::RowVector3d> centres;
    std::vector<Eigen::RowVector3i> fans;
    const int n = static_cast<int>(V.rows());
    for (const std::vector<int>& loop : boundaryLoops(F)) {
        Eigen::RowVector3d centre = Eigen::RowVector3d::Zero();
        for (int v : loop) centre += V.row(v);
        const int c = n + static_cast<int>(centres.size());
        centres.push_back(centre / static_cast<double>(loop.size()));
        for (size_t k = 0; k < loop.size(); ++k)
            fans.emplace_back(loop[(k + 1) % loop.size()], loop[k], c);
    }
    if (centres.empty()) return false;
    V2.resize(n + static_cast<Eigen::Index>(centres.size()), 3);
    V2.topRows(n) = V;
    for (size_t k = 0; k < centres.size(); ++k)
        V2.row(n + static_cast<Eigen::Index>(k)) = centres[k];
    F2.resize(F.rows() + static_cast<Eigen::Index>(fans.size()), 3);
    F2.topRows(F.rows()) = F;
    for (size_t k = 0; k < fans.size(); ++k)
        F2.row(F.rows() + static_cast<Eigen::Index>(k)) = fans[k];
    return true;
}
