#include "geometry/grad.h"

#include <Eigen/Geometry>
#include <cmath>
#include <vector>

namespace geometry {

void grad(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F, Eigen::SparseMatrix<double>& G) {
    const Eigen::Index nf = F.rows();
    std::vector<Eigen::Triplet<double>> entries;
    entries.reserve(static_cast<size_t>(nf) * 9);
    for (Eigen::Index f = 0; f < nf; ++f) {
        const Eigen::Vector3d p[3] = {V.row(F(f, 0)), V.row(F(f, 1)), V.row(F(f, 2))};
        const Eigen::Vector3d n = (p[1] - p[0]).cross(p[2] - p[0]);
        const double dblA = n.norm();
        if (!(dblA > 0.0) || !std::isfinite(dblA)) continue;  // zero rows
        // The gradient of corner c's hat function is perpendicular to the opposite
        // edge, in the plane, with length 1 / height: (n x e) / dblA^2 with |n| = dblA.
        for (int c = 0; c < 3; ++c) {
            const Eigen::Vector3d g = n.cross(p[(c + 2) % 3] - p[(c + 1) % 3]) / (dblA * dblA);
            for (int d = 0; d < 3; ++d) entries.emplace_back(f + d * nf, F(f, c), g(d));
        }
    }
    G.resize(3 * nf, V.rows());
    G.setFromTriplets(entries.begin(), entries.end());
}

}  // namespace geometry
