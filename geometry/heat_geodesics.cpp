#include "geometry/heat_geodesics.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <thread>

#include "geometry/cotmatrix.h"
#include "geometry/doublearea.h"
#include "geometry/grad.h"
#include "geometry/massmatrix.h"

namespace geometry {

namespace {

using SparseMatrix = Eigen::SparseMatrix<double>;

bool hasArea(double dblA) {
    return dblA > 0.0 && std::isfinite(dblA);
}

int findRoot(std::vector<int>& parent, int v) {
    while (parent[v] != v) v = parent[v] = parent[parent[v]];
    return v;
}

// Connected pieces over the triangles that have area; each piece is numbered
// by its lowest vertex, which is also the one the Poisson solve pins.
void findComponents(int n, const Eigen::MatrixXi& F, const Eigen::VectorXd& dblA,
                    HeatGeodesicsData& data) {
    std::vector<int> parent(static_cast<size_t>(n));
    std::iota(parent.begin(), parent.end(), 0);
    for (Eigen::Index f = 0; f < F.rows(); ++f) {
        if (!hasArea(dblA(f))) continue;
        for (int c = 1; c < 3; ++c) {
            const int a = findRoot(parent, F(f, 0)), b = findRoot(parent, F(f, c));
            // The lower index becomes the root, so roots are pieces' lowest vertices.
            if (a < b) parent[b] = a;
            if (b < a) parent[a] = b;
        }
    }
    data.component.resize(n);
    data.pinned.assign(static_cast<size_t>(n), 0);
    for (int v = 0; v < n; ++v) {
        data.component(v) = findRoot(parent, v);
        if (data.component(v) == v) data.pinned[v] = 1;
    }
}

// Boundary vertices: the ends of edges that only one triangle with area has.
void findBoundary(int n, const Eigen::MatrixXi& F, const Eigen::VectorXd& dblA,
                  HeatGeodesicsData& data) {
    std::vector<Eigen::Triplet<int>> edges;
    for (Eigen::Index f = 0; f < F.rows(); ++f) {
        if (!hasArea(dblA(f))) continue;
        for (int c = 0; c < 3; ++c) {
            const int a = F(f, c), b = F(f, (c + 1) % 3);
            edges.emplace_back(std::min(a, b), std::max(a, b), 1);
        }
    }
    Eigen::SparseMatrix<int> count(n, n);
    count.setFromTriplets(edges.begin(), edges.end());
    data.onBoundary.assign(static_cast<size_t>(n), 0);
    data.hasBoundary = false;
    for (int k = 0; k < count.outerSize(); ++k)
        for (Eigen::SparseMatrix<int>::InnerIterator it(count, k); it; ++it)
            if (it.value() == 1) {
                data.onBoundary[it.row()] = data.onBoundary[it.col()] = 1;
                data.hasBoundary = true;
            }
}

// A with the rows and columns of the `fixed` vertices replaced by identity.
SparseMatrix fixRows(const SparseMatrix& A, const std::vector<char>& fixed) {
    SparseMatrix out = A;
    if (std::find(fixed.begin(), fixed.end(), 1) == fixed.end()) return out;
    out.prune(
        [&](Eigen::Index r, Eigen::Index c, double) { return r == c || (!fixed[r] && !fixed[c]); });
    for (size_t v = 0; v < fixed.size(); ++v)
        if (fixed[v])
            out.coeffRef(static_cast<Eigen::Index>(v), static_cast<Eigen::Index>(v)) = 1.0;
    return out;
}

// Heat below this has lost digits or flushed to zero: its gradient points
// nowhere in particular, so no direction is taken from it.
constexpr double kWarm = 1e-250;
// One more round reaches about 600 edge lengths further (heat falls by about
// e per edge length); far more than any vessel tree needs.
constexpr int kMaxRounds = 256;

// The heat u after one step from the given sources: (M - t L) u = c delta.
// The common weight c, the largest source area, makes u at most about 1 on
// a mesh of any size, so the range down to kWarm is the same in any units.
Eigen::VectorXd diffuse(const HeatGeodesicsData& data, const std::vector<int>& sources) {
    double c = 0.0;
    for (int s : sources) c = std::max(c, data.M(s));
    if (!(c > 0.0) || !std::isfinite(c)) c = 1.0;
    Eigen::VectorXd delta = Eigen::VectorXd::Zero(data.numVertices);
    for (int s : sources) delta(s) = c;
    Eigen::VectorXd u = data.heatNeumann.solve(delta);
    if (data.hasBoundary) {
        for (int v = 0; v < data.numVertices; ++v)
            if (data.onBoundary[v]) delta(v) = 0.0;
        u = 0.5 * (u + data.heatDirichlet.solve(delta));
    }
    return u;
}

// X (3#F, blocks like Grad's rows): the unit direction -grad u / |grad u| on
// every face, 0 where the gradient is 0. Heat from one source decays about
// exponentially with distance and reaches 0 a few hundred edge lengths away,
// so faces that every round has left cold take their direction from a new
// round whose sources are the warm corners of the cold faces: the edge of
// the warm region, about a geodesic circle around the sources, from which
// distance goes on growing the same way.
void headingsAwayFrom(const HeatGeodesicsData& data, std::vector<int> sources, Eigen::VectorXd& X) {
    const Eigen::MatrixXi& F = data.F;
    const Eigen::Index nf = F.rows();
    X = Eigen::VectorXd::Zero(3 * nf);
    std::vector<char> warm(static_cast<size_t>(data.numVertices), 0), done(nf, 0);
    for (int round = 0; round < kMaxRounds && !sources.empty(); ++round) {
        const Eigen::VectorXd u = diffuse(data, sources);
        const Eigen::VectorXd g = data.Grad * u;
        bool progress = false;
        for (Eigen::Index f = 0; f < nf; ++f) {
            if (done[f] || !(u(F(f, 0)) > kWarm && u(F(f, 1)) > kWarm && u(F(f, 2)) > kWarm))
                continue;
            done[f] = progress = true;
            // Scaled first, so that squaring tiny components cannot flush to 0.
            Eigen::Vector3d gf(g(f), g(f + nf), g(f + 2 * nf));
            const double largest = gf.cwiseAbs().maxCoeff();
            if (!(largest > 0.0) || !std::isfinite(largest)) continue;
            gf = -(gf / largest).normalized();
            for (int d = 0; d < 3; ++d) X(f + d * nf) = gf(d);
        }
        if (!progress) break;
        for (int v = 0; v < data.numVertices; ++v) warm[v] = warm[v] || u(v) > kWarm;
        sources.clear();
        for (Eigen::Index f = 0; f < nf; ++f)
            for (int c = 0; c < 3 && !done[f]; ++c)
                if (warm[F(f, c)]) sources.push_back(F(f, c));
        std::sort(sources.begin(), sources.end());
        sources.erase(std::unique(sources.begin(), sources.end()), sources.end());
    }
}

}  // namespace

bool heat_geodesics_precompute(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F, double t,
                               HeatGeodesicsData& data) {
    if (!(t > 0.0) || !std::isfinite(t)) return false;
    const int n = static_cast<int>(V.rows());
    data.numVertices = n;
    data.F = F;
    Eigen::VectorXd dblA;
    doublearea(V, F, dblA);

    // The gradient and divergence are independent of the factorisations;
    // build them on a worker meanwhile.
    std::thread gradWorker([&] {
        grad(V, F, data.Grad);
        // Integrated divergence, the negated adjoint of the gradient under the
        // face areas: Div * Grad = L.
        Eigen::VectorXd faceArea(3 * F.rows());
        for (int d = 0; d < 3; ++d) faceArea.segment(d * F.rows(), F.rows()) = 0.5 * dblA;
        data.Div = -(data.Grad.transpose() * faceArea.asDiagonal());
    });
    SparseMatrix M;
    SparseMatrix& L = data.L;
    cotmatrix(V, F, L);
    massmatrix(V, F, MASSMATRIX_TYPE_VORONOI, M);
    data.M = M.diagonal();
    findComponents(n, F, dblA, data);
    findBoundary(n, F, dblA, data);

    // -L has one constant null vector per piece; holding one vertex of each
    // piece removes it, and the constraint on the mean is applied after the
    // solve. The factorisations are LDLT: the negative weights of obtuse or
    // collapsed triangles can leave these matrices indefinite, which LLT
    // refuses. Each factorisation runs on its own thread.
    std::thread poissonWorker([&] { data.poisson.compute(fixRows(-L, data.pinned)); });

    // A vertex without area has an empty row; giving it a unit diagonal keeps
    // the heat matrix definite and its own heat at its right-hand side.
    SparseMatrix heat = M - t * L;
    std::vector<char> isolated(static_cast<size_t>(n), 0);
    for (int v = 0; v < n; ++v) isolated[v] = data.M(v) > 0.0 ? 0 : 1;
    heat = fixRows(heat, isolated);
    std::thread dirichletWorker;
    if (data.hasBoundary) {
        dirichletWorker = std::thread([&] {
            std::vector<char> fixed(isolated);
            for (int v = 0; v < n; ++v) fixed[v] |= data.onBoundary[v];
            data.heatDirichlet.compute(fixRows(heat, fixed));
        });
    }
    data.heatNeumann.compute(heat);
    gradWorker.join();
    poissonWorker.join();
    if (dirichletWorker.joinable()) dirichletWorker.join();
    return data.heatNeumann.info() == Eigen::Success && data.poisson.info() == Eigen::Success &&
           (!data.hasBoundary || data.heatDirichlet.info() == Eigen::Success);
}

void heat_geodesics_solve(const HeatGeodesicsData& data, const Eigen::VectorXi& gamma,
                          Eigen::VectorXd& D) {
    const int n = data.numVertices;
    std::vector<int> sources;
    for (Eigen::Index k = 0; k < gamma.size(); ++k)
        if (gamma(k) >= 0 && gamma(k) < n) sources.push_back(gamma(k));
    if (sources.empty()) {
        D = Eigen::VectorXd::Constant(n, std::numeric_limits<double>::quiet_NaN());
        return;
    }

    Eigen::VectorXd X;
    headingsAwayFrom(data, sources, X);

    // L phi = div X, solved as (-L) phi = -div X with the pinned vertices at 0.
    Eigen::VectorXd phi;
    heat_geodesics_poisson_solve(data, data.Div * X, phi);

    // Each piece's mass-weighted mean to 0, as the constraint asks.
    Eigen::VectorXd massSum = Eigen::VectorXd::Zero(n), weighted = Eigen::VectorXd::Zero(n);
    for (int v = 0; v < n; ++v) {
        massSum(data.component(v)) += data.M(v);
        weighted(data.component(v)) += data.M(v) * phi(v);
    }
    for (int v = 0; v < n; ++v) {
        const int c = data.component(v);
        if (massSum(c) > 0.0) phi(v) -= weighted(c) / massSum(c);
    }

    double atSources = 0.0;
    for (int s : sources) atSources += phi(s);
    phi.array() -= atSources / static_cast<double>(sources.size());
    if (phi.mean() < 0.0) phi = -phi;
    D = phi;
}

bool heat_geodesics_poisson_solve(const HeatGeodesicsData& data, const Eigen::VectorXd& rhs,
                                  Eigen::VectorXd& x) {
    Eigen::VectorXd b = -rhs;
    for (int v = 0; v < data.numVertices; ++v)
        if (data.pinned[v]) b(v) = 0.0;
    x = data.poisson.solve(b);
    return data.poisson.info() == Eigen::Success && x.allFinite();
}

}  // namespace geometry
