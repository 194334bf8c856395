#include "realdata.h"

#include <sys/stat.h>

#include <dirent.h>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <limits>
#include <numeric>
#include <queue>
#include <sstream>

#include "analysis/endpoints.h"
#include "analysis/remove_duplicate_vertices.h"
#include "analysis/skeleton_contraction.h"
#include "analysis/u_field.h"
#include "geometry/heat_geodesics.h"
#include "geometry/heat_time_step.h"
#include "geometry/read_triangle_mesh.h"
#include "geometry/vertex_adjacency.h"

namespace realdata {

namespace {

bool isDirectory(const std::string& path) {
    struct stat s;
    return stat(path.c_str(), &s) == 0 && S_ISDIR(s.st_mode);
}

bool isFile(const std::string& path) {
    struct stat s;
    return stat(path.c_str(), &s) == 0 && S_ISREG(s.st_mode) && s.st_size > 0;
}

template <typename Body>
double timed(const Body& body) {
    const auto start = std::chrono::steady_clock::now();
    body();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Average ranks (1-based) of the values, ties sharing the mean of theirs.
Eigen::VectorXd ranks(const Eigen::VectorXd& values) {
    std::vector<int> order(static_cast<size_t>(values.size()));
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](int a, int b) { return values(a) < values(b); });
    Eigen::VectorXd r(values.size());
    for (size_t first = 0, last = 0; first < order.size(); first = last) {
        for (last = first; last < order.size() && values(order[last]) == values(order[first]);)
            ++last;
        const double mean = 0.5 * static_cast<double>(first + last + 1);
        for (size_t k = first; k < last; ++k) r(order[k]) = mean;
    }
    return r;
}

}  // namespace

std::string folder() {
    const std::string path = MORVIK_REALDATA_DIR;
    return isDirectory(path) ? path : std::string();
}

std::vector<Mesh> meshes(const std::string& folder) {
    std::vector<Mesh> all;
    if (DIR* dir = opendir(folder.c_str())) {
        const std::string suffix = ".off.xz";
        while (const dirent* entry = readdir(dir)) {
            const std::string file = entry->d_name;
            // The name goes into a shell command: no quote may end its quoting.
            if (file.size() > suffix.size() && file.find('\'') == std::string::npos &&
                file.compare(file.size() - suffix.size(), suffix.size(), suffix) == 0)
                all.push_back({file.substr(0, file.size() - suffix.size())});
        }
        closedir(dir);
    }
    std::sort(all.begin(), all.end(), [](const Mesh& a, const Mesh& b) { return a.name < b.name; });
    std::ifstream table(folder + "/inlets.tsv");
    for (std::string line; std::getline(table, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        Mesh row;
        double nextR = 0.0;
        if (!(fields >> row.name >> row.inlet.x() >> row.inlet.y() >> row.inlet.z() >> row.R >>
              nextR >> row.ends))
            continue;
        for (Mesh& mesh : all)
            if (mesh.name == row.name) mesh = row;
    }
    return all;
}

bool load(const std::string& folder, const Mesh& mesh, Eigen::MatrixXd& V, Eigen::MatrixXi& F) {
    const std::string scratch = MORVIK_REALDATA_SCRATCH;
    mkdir(scratch.c_str(), 0755);
    const std::string off = scratch + "/" + mesh.name + ".off";
    if (!isFile(off)) {
        // Decompressed beside, then renamed: a run cut short leaves no half file.
        const std::string partial = off + ".partial";
        const std::string command =
            "xz -dc '" + folder + "/" + mesh.name + ".off.xz' > '" + partial + "'";
        if (std::system(command.c_str()) != 0 || std::rename(partial.c_str(), off.c_str()) != 0) {
            std::printf("cannot decompress %s into %s\n", mesh.name.c_str(), scratch.c_str());
            std::remove(partial.c_str());
            return false;
        }
    }
    if (geometry::read_triangle_mesh(off, V, F)) return true;
    std::printf("cannot read %s\n", off.c_str());
    return false;
}

Analysis analyse(Eigen::MatrixXd V, Eigen::MatrixXi F) {
    Analysis a;
    a.merge = timed([&] { removeDuplicateVertices(V, F); });
    Eigen::MatrixXd S = V;
    a.contraction = timed([&] { contractMesh(S, F, 5.0, 10); });
    a.endpointTime = timed([&] { findEndpoints(S, V, F, a.endpoints); });
    a.rootTime = timed([&] { a.root = findRootPoint(a.endpoints, V, F); });
    if (a.root >= 0) a.uField = timed([&] { computeUField(V, F, a.root, a.U); });
    a.V = std::move(V);
    a.F = std::move(F);
    return a;
}

Eigen::VectorXd edgePathDistances(const Eigen::MatrixXd& V, const Eigen::MatrixXi& F, int source) {
    geometry::VertexAdjacency adjacency;
    geometry::vertex_adjacency(static_cast<int>(V.rows()), F, adjacency);
    Eigen::VectorXd distance =
        Eigen::VectorXd::Constant(V.rows(), std::numeric_limits<double>::infinity());
    using Entry = std::pair<double, int>;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> queue;
    distance(source) = 0.0;
    queue.emplace(0.0, source);
    while (!queue.empty()) {
        const auto [d, v] = queue.top();
        queue.pop();
        if (d > distance(v)) continue;
        for (int e = adjacency.start[v]; e < adjacency.start[v + 1]; ++e) {
            const int w = adjacency.list[e];
            const double next = d + (V.row(w) - V.row(v)).norm();
            if (next < distance(w)) distance(w) = next, queue.emplace(next, w);
        }
    }
    return distance;
}

double rankCorrelation(const Eigen::VectorXd& a, const Eigen::VectorXd& b) {
    std::vector<int> kept;
    for (Eigen::Index i = 0; i < a.size(); ++i)
        if (std::isfinite(a(i)) && std::isfinite(b(i))) kept.push_back(static_cast<int>(i));
    if (kept.size() < 2) return NAN;
    const Eigen::VectorXd ra = ranks(a(kept)), rb = ranks(b(kept));
    const Eigen::VectorXd ca = ra.array() - ra.mean(), cb = rb.array() - rb.mean();
    return ca.dot(cb) / (ca.norm() * cb.norm());
}

Judgement judge(const Mesh& mesh, const Analysis& a) {
    Judgement j;
    j.uFinite = a.root >= 0 && a.U.size() == a.V.rows() && a.U.allFinite();
    if (!mesh.hasInlet() || a.V.rows() == 0) return j;
    (a.V.rowwise() - mesh.inlet.transpose()).rowwise().squaredNorm().minCoeff(&j.inletVertex);
    const auto fromInlet = [&](int v) {
        return (a.V.row(v) - mesh.inlet.transpose()).norm() / mesh.R;
    };
    if (a.root >= 0) j.rootDistance = fromInlet(a.root);
    for (int e : a.endpoints)
        if (!(fromInlet(e) >= j.nearestEndpoint)) j.nearestEndpoint = fromInlet(e);

    // The heat distance the U field is built from, here from the inlet.
    geometry::HeatGeodesicsData data;
    Eigen::VectorXd D;
    if (geometry::heat_geodesics_precompute(a.V, a.F, geometry::heat_time_step(a.V, a.F), data))
        geometry::heat_geodesics_solve(data, Eigen::VectorXi::Constant(1, j.inletVertex), D);
    const Eigen::VectorXd path = edgePathDistances(a.V, a.F, j.inletVertex);
    double longest = 0.0, reach = 0.0;
    for (Eigen::Index i = 0; i < path.size(); ++i)
        if (std::isfinite(path(i))) {
            longest = std::max(longest, path(i));
            if (D.size() == path.size() && std::isfinite(D(i))) reach = std::max(reach, D(i));
        }
    j.heatReach = longest > 0.0 ? reach / longest : NAN;
    if (j.uFinite && D.size() == path.size()) {
        // Only the inlet's own piece: elsewhere the distance means nothing.
        Eigen::VectorXd onPiece = D;
        for (Eigen::Index i = 0; i < path.size(); ++i)
            if (!std::isfinite(path(i))) onPiece(i) = NAN;
        j.rankCorrelation = rankCorrelation(a.U, onPiece);
    }
    return j;
}

}  // namespace realdata
