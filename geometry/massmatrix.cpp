#include "geometry/massmatrix.h"

#include <Eigen/Geometry>
#include <cmath>
#include <vector>

namespace geometry {

void massmatrix(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F, MassMatrixType /*type*/,
                Eigen::SparseMatrix<double>& M) {
    Eigen::VectorXd area = Eigen::VectorXd::Zero(V.rows());
    for (Eigen::Index f = 0; f < F.rows(); ++f) {
        const Eigen::RowVector3d p[3] = {V.row(F(f, 0)), V.row(F(f, 1)), V.row(F(f, 2))};
        const double dblA = (p[1] - p[0]).cross(p[2] - p[0]).norm();
        if (!(dblA > 0.0) || !std::isfinite(dblA)) continue;  // no area to share out
        double dots[3], sq[3];  // per corner c: cos-side dot product, squared opposite edge
        for (int c = 0; c < 3; ++c) {
            const Eigen::RowVector3d a = p[(c + 1) % 3] - p[c], b = p[(c + 2) % 3] - p[c];
            dots[c] = a.dot(b);
            sq[c] = (p[(c + 2) % 3] - p[(c + 1) % 3]).squaredNorm();
        }
        int obtuse = -1;
        for (int c = 0; c < 3; ++c)
            if (dots[c] < 0.0) obtuse = c;
        for (int c = 0; c < 3; ++c) {
            double share;
            if (obtuse >= 0) {
                share = (c == obtuse ? 0.25 : 0.125) * dblA;
            } else {
                // Voronoi region of corner c: (|e_c,c+1|^2 cot(c+2) + |e_c,c+2|^2 cot(c+1)) / 8,
                // with cot(k) = dots[k] / dblA.
                share =
                    (sq[(c + 2) % 3] * dots[(c + 2) % 3] + sq[(c + 1) % 3] * dots[(c + 1) % 3]) /
                    (8.0 * dblA);
            }
            area(F(f, c)) += share;
        }
    }
    // Every diagonal entry is stored, zeros too, so the pattern is the same
    // for every mesh of this size.
    std::vector<Eigen::Triplet<double>> entries;
    entries.reserve(static_cast<size_t>(V.rows()));
    for (Eigen::Index i = 0; i < V.rows(); ++i) entries.emplace_back(i, i, area(i));
    M.resize(V.rows(), V.rows());
    M.setFromTriplets(entries.begin(), entries.end());
}

}  // namespace geometry
