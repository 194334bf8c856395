#include "geometry/avg_edge_length.h"

namespace geometry {

double avg_edge_length(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F) {
    double sum = 0.0;
    for (Eigen::Index f = 0; f < F.rows(); ++f)
        for (int c = 0; c < 3; ++c) sum += (V.row(F(f, (c + 1) % 3)) - V.row(F(f, c))).norm();
    return sum / (3.0 * static_cast<double>(F.rows()));
}

}  // namespace geometry
