#include "geometry/doublearea.h"

#include <Eigen/Geometry>

namespace geometry {

void doublearea(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F, Eigen::VectorXd& dblA) {
    dblA.resize(F.rows());
    for (Eigen::Index f = 0; f < F.rows(); ++f) {
        const Eigen::RowVector3d a = V.row(F(f, 0));
        const Eigen::RowVector3d e1 = V.row(F(f, 1)) - a;
        const Eigen::RowVector3d e2 = V.row(F(f, 2)) - a;
        dblA(f) = e1.cross(e2).norm();
    }
}

}  // namespace geometry
