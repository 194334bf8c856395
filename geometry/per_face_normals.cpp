#include "geometry/per_face_normals.h"

#include <Eigen/Geometry>

namespace geometry {

void per_face_normals(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F,
                      const Eigen::RowVector3d& Z, Eigen::MatrixXd& N) {
    N.resize(F.rows(), 3);
    for (Eigen::Index f = 0; f < F.rows(); ++f) {
        const Eigen::RowVector3d a = V.row(F(f, 0)), b = V.row(F(f, 1)), c = V.row(F(f, 2));
        const Eigen::RowVector3d n = (b - a).cross(c - a);
        const double len = n.norm();
        // Also catches a non-finite length, so a broken corner gives Z, not NaN.
        N.row(f) = len > 0.0 && len < HUGE_VAL ? Eigen::RowVector3d(n / len) : Z;
    }
}

}  // namespace geometry
