#include "geometry/heat_time_step.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "geometry/avg_edge_length.h"

namespace geometry {

double heat_time_step(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F) {
    const double h = avg_edge_length(V, F);
    std::vector<double> lengths;
    lengths.reserve(static_cast<size_t>(F.rows()) * 3);
    double total = 0.0;
    for (Eigen::Index f = 0; f < F.rows(); ++f)
        for (int k = 0; k < 3; ++k) {
            const double length = (V.row(F(f, (k + 1) % 3)) - V.row(F(f, k))).norm();
            if (std::isfinite(length)) lengths.push_back(length), total += length;
        }
    std::sort(lengths.begin(), lengths.end());
    double below = 0.0, long90 = 0.0;
    for (double length : lengths)
        if ((below += length) >= kLongEdgeShare * total) {
            long90 = length;
            break;
        }
    return std::max(h * h, 0.25 * long90 * long90);
}

}  // namespace geometry
