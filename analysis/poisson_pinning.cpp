#include "analysis/poisson_pinning.h"

#include <numeric>
#include <vector>

namespace {

int findPiece(std::vector<int>& parent, int i) {
    while (parent[i] != i) {
        parent[i] = parent[parent[i]];
        i = parent[i];
    }
    return i;
}

}  // namespace

void pinOneVertexPerPiece(Eigen::SparseMatrix<double>& L, Eigen::VectorXd& b) {
    const int n = static_cast<int>(L.rows());
    std::vector<int> parent(n);
    std::iota(parent.begin(), parent.end(), 0);
    for (int col = 0; col < L.outerSize(); ++col) {
        for (Eigen::SparseMatrix<double>::InnerIterator it(L, col); it; ++it) {
            if (it.row() == it.col() || it.value() == 0.0) continue;
            const int a = findPiece(parent, static_cast<int>(it.row()));
            const int c = findPiece(parent, static_cast<int>(it.col()));
            // The lower index stays the representative: it is the one pinned.
            if (a < c) parent[c] = a;
            if (c < a) parent[a] = c;
        }
    }
    std::vector<char> pinned(n, 0);
    for (int i = 0; i < n; ++i)
        if (findPiece(parent, i) == i) pinned[i] = 1;

    std::vector<Eigen::Triplet<double>> entries;
    entries.reserve(static_cast<size_t>(L.nonZeros()) + static_cast<size_t>(n));
    for (int col = 0; col < L.outerSize(); ++col) {
        for (Eigen::SparseMatrix<double>::InnerIterator it(L, col); it; ++it) {
            if (!pinned[it.row()] && !pinned[it.col()])
                entries.emplace_back(static_cast<int>(it.row()), static_cast<int>(it.col()),
                                     it.value());
        }
    }
    for (int i = 0; i < n; ++i) {
        if (!pinned[i]) continue;
        entries.emplace_back(i, i, -1.0);
        b(i) = 0.0;
    }
    L.setFromTriplets(entries.begin(), entries.end());
}
