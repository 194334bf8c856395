#include "geometry/vertex_adjacency.h"

#include <algorithm>

namespace geometry {

void vertex_adjacency(int numVertices, const Eigen::MatrixXi& F, VertexAdjacency& adjacency) {
    // Count, fill, then sort and drop repeats within each row.
    std::vector<int> count(static_cast<size_t>(numVertices) + 1, 0);
    for (Eigen::Index f = 0; f < F.rows(); ++f)
        for (int c = 0; c < 3; ++c) {
            const int a = F(f, c), b = F(f, (c + 1) % 3);
            if (a == b) continue;
            ++count[a + 1];
            ++count[b + 1];
        }
    for (int i = 0; i < numVertices; ++i) count[i + 1] += count[i];
    std::vector<int> raw(static_cast<size_t>(count[numVertices]));
    std::vector<int> fill(count.begin(), count.end() - 1);
    for (Eigen::Index f = 0; f < F.rows(); ++f)
        for (int c = 0; c < 3; ++c) {
            const int a = F(f, c), b = F(f, (c + 1) % 3);
            if (a == b) continue;
            raw[fill[a]++] = b;
            raw[fill[b]++] = a;
        }
    adjacency.start.assign(static_cast<size_t>(numVertices) + 1, 0);
    adjacency.list.clear();
    adjacency.list.reserve(raw.size() / 2 + 1);
    for (int i = 0; i < numVertices; ++i) {
        const auto first = raw.begin() + count[i], last = raw.begin() + count[i + 1];
        std::sort(first, last);
        adjacency.list.insert(adjacency.list.end(), first, std::unique(first, last));
        adjacency.start[i + 1] = static_cast<int>(adjacency.list.size());
    }
}

}  // namespace geometry
