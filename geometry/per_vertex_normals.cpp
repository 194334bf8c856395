#include "geometry/per_vertex_normals.h"

#include <Eigen/Geometry>

namespace geometry {

void per_vertex_normals(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F,
                        const Eigen::MatrixXd& FN, Eigen::MatrixXd& N) {
    N = Eigen::MatrixXd::Zero(V.rows(), 3);
    for (Eigen::Index f = 0; f < F.rows(); ++f) {
        const Eigen::RowVector3d a = V.row(F(f, 0)), b = V.row(F(f, 1)), c = V.row(F(f, 2));
        const double dblA = (b - a).cross(c - a).norm();
        for (int k = 0; k < 3; ++k) N.row(F(f, k)) += dblA * FN.row(f);
    }
    // A zero sum divides 0 by 0 on purpose: callers can tell such vertices.
    for (Eigen::Index v = 0; v < N.rows(); ++v) N.row(v) /= N.row(v).norm();
}

}  // namespace geometry
