#include "analysis/contraction_laplacian.h"

#include <Eigen/Geometry>
#include <algorithm>
#include <cmath>

#include "geometry/cotmatrix.h"
#include "geometry/doublearea.h"

namespace {

double smallestAngle(const Eigen::MatrixXd& V, const Eigen::RowVector3i& f) {
    double smallest = M_PI;
    for (int k = 0; k < 3; ++k) {
        const Eigen::RowVector3d u = V.row(f((k + 1) % 3)) - V.row(f(k));
        const Eigen::RowVector3d w = V.row(f((k + 2) % 3)) - V.row(f(k));
        smallest = std::min(smallest, std::atan2(u.cross(w).norm(), u.dot(w)));
    }
    return smallest;
}

}  // namespace

ContractionLaplacian::ContractionLaplacian(const Eigen::MatrixXd& S0, const Eigen::MatrixXi& F)
    : F_(F), sliver_(static_cast<size_t>(F.rows()), 0) {
    geometry::doublearea(S0, F, inputArea_);
    std::vector<Eigen::Triplet<double>> entries;
    for (Eigen::Index f = 0; f < F.rows(); ++f)
        for (int k = 0; k < 3; ++k)
            entries.emplace_back(F(f, k), F(f, (k + 1) % 3), 0.0),
                entries.emplace_back(F(f, (k + 1) % 3), F(f, k), 0.0);
    for (Eigen::Index i = 0; i < S0.rows(); ++i) entries.emplace_back(i, i, 0.0);
    pattern_.resize(S0.rows(), S0.rows());
    pattern_.setFromTriplets(entries.begin(), entries.end());
    for (Eigen::Index f = 0; f < F.rows(); ++f)
        if (inputArea_(f) > 0.0 && smallestAngle(S0, F.row(f)) < kSliverDegrees * M_PI / 180.0)
            sliver_[f] = anySliver_ = true;
}

void ContractionLaplacian::build(const Eigen::MatrixXd& S, Eigen::SparseMatrix<double>& L) const {
    Eigen::VectorXd area;
    geometry::doublearea(S, F_, area);
    std::vector<Eigen::Index> regular;
    regular.reserve(static_cast<size_t>(F_.rows()));
    for (Eigen::Index f = 0; f < F_.rows(); ++f)
        if (!sliver_[f] && !(area(f) < kCollapsedArea * inputArea_(f))) regular.push_back(f);
    if (!anySliver_ && regular.size() == static_cast<size_t>(F_.rows()))
        geometry::cotmatrix(S, F_, L);
    else
        geometry::cotmatrix(S, F_(regular, Eigen::all), L);
    if (anySliver_) {
        const double w = 0.5 / std::sqrt(3.0);  // cot 60 degrees, halved as cotmatrix has it
        std::vector<Eigen::Triplet<double>> entries;
        for (Eigen::Index f = 0; f < F_.rows(); ++f) {
            if (!sliver_[f] || area(f) < kCollapsedArea * inputArea_(f)) continue;
            for (int k = 0; k < 3; ++k) {
                const int a = F_(f, (k + 1) % 3), b = F_(f, (k + 2) % 3);
                entries.insert(entries.end(), {{a, b, w}, {b, a, w}, {a, a, -w}, {b, b, -w}});
            }
        }
        Eigen::SparseMatrix<double> uniform(L.rows(), L.cols());
        uniform.setFromTriplets(entries.begin(), entries.end());
        L += uniform;
    }
    L = 2.0 * L + pattern_;
}
