#include "geometry/principal_curvature.h"

#include <Eigen/Dense>
#include <algorithm>
#include <cmath>
#include <thread>
#include <vector>

#include "geometry/avg_edge_length.h"
#include "geometry/per_face_normals.h"
#include "geometry/per_vertex_normals.h"
#include "geometry/vertex_adjacency.h"

namespace geometry {

namespace {

// Below this many points a fit of five coefficients is not determined.
constexpr int kMinNeighbours = 6;
// Neighbours whose normal makes a dot product with the vertex's no larger
// than this take no part in its fit: those that face away from it, such as
// the far side of a thin tube (the rule of the library this layer stands in
// for: a strictly positive dot product).
constexpr double kFacing = 0.0;

// The first direction of each connected patch points along this fixed vector
// (chosen to lie along no axis); the rest follow their neighbours.
const Eigen::Vector3d kSignReference =
    Eigen::Vector3d(1.0, std::sqrt(2.0), std::sqrt(3.0)) / std::sqrt(6.0);

struct Inputs {
    const Eigen::MatrixXd& V;
    const Eigen::MatrixXd& N;  // area-weighted vertex normals
    const VertexAdjacency& adjacency;
    unsigned radius;
    bool useKring;
    double ballRadius;  // for the Euclidean neighbourhood
};

struct Outputs {
    Eigen::MatrixXd& PD1;
    Eigen::MatrixXd& PD2;
    Eigen::VectorXd& PV1;
    Eigen::VectorXd& PV2;
};

// Does vertex j face the same side as normal n, by more than a right angle?
bool facing(const Inputs& in, int j, const Eigen::Vector3d& n) {
    return in.N.row(j).dot(n.transpose()) > kFacing;
}

// Breadth-first search from `centre`: every vertex within `radius` edges (or,
// without the k-ring, connected within the ball), the centre first.
void gatherNeighbourhood(const Inputs& in, int centre, std::vector<int>& mark,
                         std::vector<int>& ring) {
    ring.clear();
    ring.push_back(centre);
    mark[centre] = centre;
    size_t levelStart = 0;
    for (unsigned level = 0; in.useKring ? level < in.radius : levelStart < ring.size(); ++level) {
        const size_t levelEnd = ring.size();
        if (levelStart == levelEnd) break;
        for (size_t k = levelStart; k < levelEnd; ++k) {
            const int v = ring[k];
            for (int e = in.adjacency.start[v]; e < in.adjacency.start[v + 1]; ++e) {
                const int w = in.adjacency.list[e];
                if (mark[w] == centre) continue;
                if (!in.useKring && (in.V.row(w) - in.V.row(centre)).norm() > in.ballRadius)
                    continue;
                mark[w] = centre;
                ring.push_back(w);
            }
        }
        levelStart = levelEnd;
    }
}

// Fits the quadric at one vertex; false where no fit exists.
bool fitVertex(const Inputs& in, int i, std::vector<int>& mark, std::vector<int>& ring,
               std::vector<int>& kept, Eigen::Vector3d& d1, Eigen::Vector3d& d2, double& k1,
               double& k2) {
    const Eigen::Vector3d n = in.N.row(i).transpose();
    if (!n.allFinite()) return false;
    gatherNeighbourhood(in, i, mark, ring);
    // Points whose surface faces elsewhere would bend the fit; leave them
    // out, unless too few would remain.
    kept.clear();
    for (int j : ring)
        if (facing(in, j, n)) kept.push_back(j);
    const std::vector<int>& used = kept.size() >= static_cast<size_t>(kMinNeighbours) ? kept : ring;
    if (used.size() < static_cast<size_t>(kMinNeighbours)) return false;

    // Local frame: height along n, tangent axes from the least aligned axis.
    Eigen::Index axis;
    n.cwiseAbs().minCoeff(&axis);
    Eigen::Vector3d e1 = Eigen::Vector3d::Unit(axis);
    e1 = (e1 - n * n.dot(e1)).normalized();
    const Eigen::Vector3d e2 = n.cross(e1);

    const Eigen::Vector3d c = in.V.row(i).transpose();
    double scale = 0.0;
    for (int j : used) scale = std::max(scale, (in.V.row(j).transpose() - c).norm());
    if (!(scale > 0.0) || !std::isfinite(scale)) return false;
    // Coordinates are scaled to about 1 so that the fit is equally
    // well-conditioned for meshes of any size.
    Eigen::MatrixXd A(used.size() - 1, 5);
    Eigen::VectorXd b(used.size() - 1);
    Eigen::Index row = 0;
    for (int j : used) {
        if (j == i) continue;
        const Eigen::Vector3d p = (in.V.row(j).transpose() - c) / scale;
        const double u = p.dot(e1), v = p.dot(e2);
        A.row(row) << u * u, u * v, v * v, u, v;
        b(row++) = p.dot(n);
    }
    A.conservativeResize(row, 5);
    b.conservativeResize(row);
    if (row < kMinNeighbours - 1) return false;
    const Eigen::ColPivHouseholderQR<Eigen::MatrixXd> qr(A);
    if (qr.rank() < 5) return false;
    const Eigen::Matrix<double, 5, 1> q = qr.solve(b);
    if (!q.allFinite()) return false;

    // The graph w(u, v) at the origin: first and second fundamental forms in
    // the (u, v) parameters, back in unscaled units (slopes keep their scale).
    const double a2 = q(0) / scale, b1 = q(1) / scale, c2 = q(2) / scale, du = q(3), dv = q(4);
    Eigen::Matrix2d I, II;
    I << 1.0 + du * du, du * dv, du * dv, 1.0 + dv * dv;
    const double w = std::sqrt(1.0 + du * du + dv * dv);
    II << 2.0 * a2 / w, b1 / w, b1 / w, 2.0 * c2 / w;
    const Eigen::GeneralizedSelfAdjointEigenSolver<Eigen::Matrix2d> eig(II, I);
    if (eig.info() != Eigen::Success) return false;
    // A surface that bends down, away from n, has II < 0; that is the
    // positive sense here.
    const double kA = -eig.eigenvalues()(0), kB = -eig.eigenvalues()(1);
    const Eigen::Vector3d xu = e1 + du * n, xv = e2 + dv * n;
    Eigen::Vector3d tA = eig.eigenvectors()(0, 0) * xu + eig.eigenvectors()(1, 0) * xv;
    Eigen::Vector3d tB = eig.eigenvectors()(0, 1) * xu + eig.eigenvectors()(1, 1) * xv;
    tA.normalize();
    tB.normalize();
    if (std::abs(kA) <= std::abs(kB)) {
        d1 = tA, d2 = tB, k1 = kA, k2 = kB;
    } else {
        d1 = tB, d2 = tA, k1 = kB, k2 = kA;
    }
    return d1.allFinite() && d2.allFinite() && std::isfinite(k1) && std::isfinite(k2);
}

// Directions are lines; their signs are chosen so that neighbours agree,
// walking breadth-first from the lowest vertex of each patch of fitted
// vertices, so that averaging neighbouring rows does not cancel them. Seams
// remain only where the field cannot be oriented (around a branching, an
// umbilic). Sequential, so independent of the thread split.
void orientAlongNeighbours(const VertexAdjacency& adjacency, Eigen::MatrixXd& D) {
    const int n = static_cast<int>(D.rows());
    std::vector<char> seen(static_cast<size_t>(n), 0);
    std::vector<int> queue;
    queue.reserve(static_cast<size_t>(n));
    for (int seed = 0; seed < n; ++seed) {
        if (seen[seed] || D.row(seed).isZero()) continue;
        if (D.row(seed).dot(kSignReference.transpose()) < 0.0) D.row(seed) *= -1.0;
        seen[seed] = 1;
        queue.assign(1, seed);
        for (size_t k = 0; k < queue.size(); ++k) {
            const int v = queue[k];
            for (int e = adjacency.start[v]; e < adjacency.start[v + 1]; ++e) {
                const int w = adjacency.list[e];
                if (seen[w] || D.row(w).isZero()) continue;
                seen[w] = 1;
                if (D.row(w).dot(D.row(v)) < 0.0) D.row(w) *= -1.0;
                queue.push_back(w);
            }
        }
    }
}

void fitRange(const Inputs& in, const Outputs& out, int first, int last) {
    std::vector<int> mark(static_cast<size_t>(in.V.rows()), -1), ring, kept;
    for (int i = first; i < last; ++i) {
        Eigen::Vector3d d1, d2;
        double k1, k2;
        if (fitVertex(in, i, mark, ring, kept, d1, d2, k1, k2)) {
            out.PD1.row(i) = d1.transpose();
            out.PD2.row(i) = d2.transpose();
            out.PV1(i) = k1;
            out.PV2(i) = k2;
        } else {
            out.PD1.row(i).setZero();
            out.PD2.row(i).setZero();
            out.PV1(i) = 0.0;
            out.PV2(i) = 0.0;
        }
    }
}

}  // namespace

void principal_curvature(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F, Eigen::MatrixXd& PD1,
                         Eigen::MatrixXd& PD2, Eigen::VectorXd& PV1, Eigen::VectorXd& PV2,
                         unsigned radius, bool useKring) {
    const int n = static_cast<int>(V.rows());
    PD1.resize(n, 3);
    PD2.resize(n, 3);
    PV1.resize(n);
    PV2.resize(n);
    Eigen::MatrixXd FN, N;
    per_face_normals(V, F, Eigen::RowVector3d::Zero(), FN);
    per_vertex_normals(V, F, FN, N);
    VertexAdjacency adjacency;
    vertex_adjacency(n, F, adjacency);
    const double ball = useKring ? 0.0 : radius * avg_edge_length(V, F);
    const Inputs in{V, N, adjacency, radius, useKring, ball};
    const Outputs out{PD1, PD2, PV1, PV2};

    // Every vertex is independent and writes only its own rows, so the result
    // does not depend on how the range is split.
    const int threads =
        static_cast<int>(std::clamp<unsigned>(std::thread::hardware_concurrency(), 1u, 64u));
    const int perThread = std::max(256, (n + threads - 1) / threads);
    std::vector<std::thread> workers;
    for (int first = perThread; first < n; first += perThread)
        workers.emplace_back(fitRange, std::cref(in), std::cref(out), first,
                             std::min(n, first + perThread));
    fitRange(in, out, 0, std::min(n, perThread));
    for (auto& t : workers) t.join();
    orientAlongNeighbours(adjacency, PD1);
    orientAlongNeighbours(adjacency, PD2);
}

}  // namespace geometry
