#include "geometry/cotmatrix.h"

#include <Eigen/Geometry>
#include <cmath>
#include <vector>

namespace geometry {

void cotmatrix(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F, Eigen::SparseMatrix<double>& L) {
    std::vector<Eigen::Triplet<double>> entries;
    entries.reserve(static_cast<size_t>(F.rows()) * 6 + static_cast<size_t>(V.rows()));
    for (Eigen::Index f = 0; f < F.rows(); ++f) {
        const Eigen::RowVector3d p[3] = {V.row(F(f, 0)), V.row(F(f, 1)), V.row(F(f, 2))};
        const double dblA = (p[1] - p[0]).cross(p[2] - p[0]).norm();
        // A zero-area triangle has no angles to speak of; it adds nothing rather
        // than infinities that would spoil every solve with L.
        if (!(dblA > 0.0) || !std::isfinite(dblA)) continue;
        for (int c = 0; c < 3; ++c) {
            const int j = F(f, (c + 1) % 3), k = F(f, (c + 2) % 3);
            const double cot = (p[(c + 1) % 3] - p[c]).dot(p[(c + 2) % 3] - p[c]) / dblA;
            const double w = 0.5 * cot;
            entries.emplace_back(j, k, w);
            entries.emplace_back(k, j, w);
        }
    }
    // The diagonal is filled afterwards from the assembled columns (L is
    // symmetric), so every row sums to zero up to one rounding per entry.
    for (Eigen::Index i = 0; i < V.rows(); ++i) entries.emplace_back(i, i, 0.0);
    L.resize(V.rows(), V.rows());
    L.setFromTriplets(entries.begin(), entries.end());
    for (Eigen::Index k = 0; k < L.outerSize(); ++k) {
        double sum = 0.0;
        double* diagonal = nullptr;
        for (Eigen::SparseMatrix<double>::InnerIterator it(L, k); it; ++it) {
            if (it.row() == k)
                diagonal = &it.valueRef();
            else
                sum += it.value();
        }
        *diagonal = -sum;
    }
}

}  // namespace geometry
