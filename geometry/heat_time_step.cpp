#include "geometry/heat_time_step.h"

#include "geometry/avg_edge_length.h"

namespace geometry {

double heat_time_step(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F) {
    const double h = avg_edge_length(V, F);
    return h * h;
}

}  // namespace geometry
