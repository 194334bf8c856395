#include "analysis/remove_duplicate_vertices.h"

#include <cstdio>

#include "geometry/remove_duplicate_vertices.h"

void removeDuplicateVertices(Eigen::MatrixXd& V, Eigen::MatrixXi& F) {
    Eigen::MatrixXd SV;
    Eigen::VectorXi SVI, SVJ;
    geometry::remove_duplicate_vertices(V, 1e-7, SV, SVI, SVJ);

    Eigen::MatrixXi F2(F.rows(), 3);
    for (Eigen::Index f = 0; f < F.rows(); ++f)
        for (int k = 0; k < 3; ++k) F2(f, k) = SVJ(F(f, k));

    // Nothing merged: keep the caller's vertex order even if the merge
    // would have reordered it.
    if (SV.rows() == V.rows()) return;

    std::printf("Removed duplicate vertices, new mesh has %d vertices and %d faces\n",
                static_cast<int>(SV.rows()), static_cast<int>(F.rows()));
    V = SV;
    F = F2;
}
