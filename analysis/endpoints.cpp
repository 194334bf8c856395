#include "analysis/endpoints.h"

#include <Eigen/Sparse>
#include <cstdio>
#include <limits>

#include "analysis/neighbour_search.h"
#include "geometry/cotmatrix.h"
#include "geometry/invert_diag.h"
#include "geometry/massmatrix.h"

namespace {

double edgeLength(const Eigen::MatrixXd& S, int a, int b) {
    return (S.row(b) - S.row(a)).norm();
}

// Nothing within the neighbourhood lies behind point i, seen from its
// farthest neighbour (the first of equally far ones).
bool isEndpoint(const Eigen::MatrixXd& S, int i, const Neighbourhood& nb) {
    int far = i;
    double best = 0.0;
    for (size_t k = 0; k < nb.index.size(); ++k) {
        if (nb.distance[k] > best) {
            best = nb.distance[k];
            far = nb.index[k];
        }
    }
    if (far == i) return false;
    const double dirx = S(far, 0) - S(i, 0);
    const double diry = S(far, 1) - S(i, 1);
    const double dirz = S(far, 2) - S(i, 2);
    for (int k : nb.index) {
        const double dot =
            (S(k, 0) - S(i, 0)) * dirx + (S(k, 1) - S(i, 1)) * diry + (S(k, 2) - S(i, 2)) * dirz;
        if (dot < 0.0) return false;
    }
    return true;
}

}  // namespace

void findEndpoints(const Eigen::MatrixXd& S, const Eigen::MatrixXi& F,
                   std::vector<int>& endpoints) {
    const int faceCount = static_cast<int>(F.rows());
    double total = 0.0;
    for (int f = 0; f < faceCount; ++f) {
        total += edgeLength(S, F(f, 0), F(f, 1)) + edgeLength(S, F(f, 1), F(f, 2)) +
                 edgeLength(S, F(f, 2), F(f, 0));
    }
    // Three times the mean face-edge length; NaN without faces, and then no
    // point has a neighbour.
    const double r = total / (faceCount * 3.0) * 3.0;

    const NeighbourGrid grid(S, r);
    Neighbourhood nb;
    const int n = static_cast<int>(S.rows());
    for (int i = 0; i < n; ++i) {
        grid.neighbours(i, nb);
        if (isEndpoint(S, i, nb)) endpoints.push_back(i);
    }
}

int findRootPoint(std::vector<int> endpoints, const Eigen::MatrixXd& V, const Eigen::MatrixXi& F) {
    if (endpoints.empty()) return -1;

    Eigen::SparseMatrix<double> L, M, Minv;
    geometry::cotmatrix(V, F, L);
    geometry::massmatrix(V, F, geometry::MASSMATRIX_TYPE_VORONOI, M);
    geometry::invert_diag(M, Minv);
    // Row i: the discrete mean-curvature normal at vertex i (up to a factor);
    // its length falls as a tube widens, so the widest end wins.
    const Eigen::MatrixXd H = Minv * L * V;
    Eigen::VectorXd q = H.rowwise().norm();
    // A vertex with no area around it (used by no face, or only by faces of
    // zero area) has no curvature to measure. Its row of H is 0 (the best
    // measure of all) or not a number, depending on whether the Laplacian
    // stores a zero for it; not a number in every case keeps it from winning.
    const Eigen::VectorXd area = M.diagonal();
    for (Eigen::Index i = 0; i < q.size(); ++i)
        if (!(area(i) > 0.0)) q(i) = std::numeric_limits<double>::quiet_NaN();

    int root = endpoints.front();
    double best = q(root);
    for (size_t k = 1; k < endpoints.size(); ++k) {
        const int e = endpoints[k];
        if (q(e) < best) {
            root = e;
            best = q(e);
        }
    }
    std::printf("Root point index is %d\n", root);
    return root;
}
