#include <algorithm>
#include <cmath>

#include "tree_layout.h"

namespace vessel_tree {

namespace {

// Lateral area of the tapered tubes plus that of the ends: spheres (a whole
// one at the root, half ones at the tips), flat discs or none.
double tubeArea(const CentreLines& lines, Ends ends = Ends::Round) {
    const double root = ends == Ends::Round ? 4 * M_PI : ends == Ends::Flat ? M_PI : 0.0;
    const double tip = ends == Ends::Round ? 2 * M_PI : ends == Ends::Flat ? M_PI : 0.0;
    double area = root * lines.rootRadius * lines.rootRadius;
    for (const Segment& s : lines.segments) area += M_PI * (s.ra + s.rb) * (s.b - s.a).norm();
    for (double r : lines.tipRadii) area += tip * r * r;
    return area;
}

Eigen::Vector3d project(const TubeField& field, Eigen::Vector3d p, double h) {
    for (int i = 0; i < 4; ++i) {
        const double f = field.value(p);
        const Eigen::Vector3d g = field.gradient(p, 0.05 * h);
        const double g2 = g.squaredNorm();
        if (g2 < 1e-12) break;
        Eigen::Vector3d step = f * g / g2;
        if (step.norm() > h) step *= h / step.norm();
        p -= step;
        if (std::abs(f) < 1e-7 * h) break;
    }
    return p;
}

// Moves every vertex towards the mean of its quad neighbours within the
// tangent plane, then back onto the surface: the grid's uneven spacing
// evens out and the triangles lose their slivers.
void relax(const TubeField& field, double h, const std::vector<Eigen::Vector4i>& quads,
           int iterations, Eigen::MatrixXd& V) {
    const int n = int(V.rows());
    std::vector<std::vector<int>> neighbours(n);
    for (const Eigen::Vector4i& q : quads)
        for (int c = 0; c < 4; ++c) {
            neighbours[q[c]].push_back(q[(c + 1) % 4]);
            neighbours[q[(c + 1) % 4]].push_back(q[c]);
        }
    for (auto& list : neighbours) {
        std::sort(list.begin(), list.end());
        list.erase(std::unique(list.begin(), list.end()), list.end());
    }
    Eigen::MatrixXd next(n, 3);
    for (int it = 0; it < iterations; ++it) {
        parallelFor(n, [&](int i) {
            const Eigen::Vector3d p = V.row(i).transpose();
            Eigen::Vector3d mean = Eigen::Vector3d::Zero();
            for (int j : neighbours[i]) mean += V.row(j).transpose();
            mean /= double(std::max<size_t>(neighbours[i].size(), 1));
            Eigen::Vector3d normal = field.gradient(p, 0.05 * h);
            if (normal.squaredNorm() > 1e-12) normal.normalize();
            Eigen::Vector3d move = mean - p;
            move -= normal * normal.dot(move);
            next.row(i) = project(field, p + move, h).transpose();
        });
        V.swap(next);
    }
}

double minAngle(const Eigen::Vector3d& a, const Eigen::Vector3d& b, const Eigen::Vector3d& c) {
    const Eigen::Vector3d p[3] = {a, b, c};
    double best = M_PI;
    for (int k = 0; k < 3; ++k) {
        const Eigen::Vector3d u = p[(k + 1) % 3] - p[k], w = p[(k + 2) % 3] - p[k];
        best = std::min(best, std::atan2(u.cross(w).norm(), u.dot(w)));
    }
    return best;
}

// Each quad becomes two triangles, split along the diagonal that gives the
// larger smallest angle.
void triangulate(const Eigen::MatrixXd& V, const std::vector<Eigen::Vector4i>& quads,
                 Eigen::MatrixXi& F) {
    F.resize(2 * quads.size(), 3);
    for (size_t i = 0; i < quads.size(); ++i) {
        const Eigen::Vector4i& q = quads[i];
        auto p = [&](int c) { return Eigen::Vector3d(V.row(q[c]).transpose()); };
        const double first = std::min(minAngle(p(0), p(1), p(2)), minAngle(p(0), p(2), p(3)));
        const double second = std::min(minAngle(p(0), p(1), p(3)), minAngle(p(1), p(2), p(3)));
        if (first >= second) {
            F.row(2 * i) << q[0], q[1], q[2];
            F.row(2 * i + 1) << q[0], q[2], q[3];
        } else {
            F.row(2 * i) << q[0], q[1], q[3];
            F.row(2 * i + 1) << q[1], q[2], q[3];
        }
    }
}

}  // namespace

void polygonise(const CentreLines& lines, int targetVertices, Eigen::MatrixXd& V,
                Eigen::MatrixXi& F) {
    targetVertices = std::max(targetVertices, 500);
    // Surface nets put about 1.5 vertices on every h^2 of surface; one trial
    // run corrects the estimate.
    double h = std::sqrt(1.5 * tubeArea(lines) / targetVertices);
    std::vector<Eigen::Vector4i> quads;
    auto fieldFor = [&](double spacing) {
        return TubeField(lines, 0.5 * lines.rootRadius + 4 * spacing);
    };
    {
        const TubeField trial = fieldFor(h);
        surfaceNets(trial, h, V, quads);
        if (V.rows() > 0) h *= std::sqrt(double(V.rows()) / targetVertices);
    }
    for (int attempt = 0; attempt < 8; ++attempt, h *= 0.985) {
        const TubeField field = fieldFor(h);
        surfaceNets(field, h, V, quads);
        relax(field, h, quads, 6, V);
        triangulate(V, quads, F);
        const MeshReport report = checkMesh(V, F);
        // A grid cell that two sheets of the surface pass through would
        // leave a pinched vertex; a slightly different grid avoids it.
        if (report.closedManifold() && report.components == 1 && report.eulerCharacteristic == 2)
            return;
    }
}

namespace {

void scaleLines(double k, CentreLines& lines) {
    for (Segment& s : lines.segments) {
        s.a *= k;
        s.b *= k;
        s.ra *= k;
        s.rb *= k;
    }
    lines.root *= k;
    lines.rootRadius *= k;
    for (Eigen::Vector3d& tip : lines.tips) tip *= k;
    for (double& r : lines.tipRadii) r *= k;
    for (double& length : lines.tipPathLengths) length *= k;
}

}  // namespace

CentreLines treeCentreLines(const TreeOptions& options) {
    CentreLines lines = centreLinesOf(layOutTree(options.tips, options.seed, options.shape));
    if (options.ends != Ends::Round) trimEnds(lines);
    if (options.scale != 1) scaleLines(options.scale, lines);
    return lines;
}

void treeMesh(const TreeOptions& options, Eigen::MatrixXd& V, Eigen::MatrixXi& F,
              CentreLines* lines) {
    // The mesh wraps the whole tubes, round ends and all; the cuts come after.
    const CentreLines whole = centreLinesOf(layOutTree(options.tips, options.seed, options.shape));
    CentreLines centre = whole;
    if (options.ends == Ends::Round) {
        polygonise(whole, options.targetVertices, V, F);
    } else {
        const std::vector<Cut> cuts = trimEnds(centre);
        // The cuts take the round ends' area away (and flat caps give some
        // back): a finer mesh of the whole keeps the target size. Needle
        // rings add about three vertices per edge length of rim each.
        const double area = tubeArea(centre, options.ends);
        double target = options.targetVertices;
        if (options.slivers) {
            double rims = centre.rootRadius;
            for (double r : centre.tipRadii) rims += r;
            const double edge = std::sqrt(area / (0.87 * target));
            target = std::max(0.5 * target, target - 9 * 2 * M_PI * rims / edge);
        }
        polygonise(whole, int(std::lround(target * tubeArea(whole) / area)), V, F);
        const double extension = options.extension * centre.rootRadius;
        cutEnds(cuts, options.ends == Ends::Flat, options.slivers, extension, V, F);
        centre.root += extension * cuts[0].normal;
        for (double& length : centre.tipPathLengths) length += extension;
    }
    if (options.scale != 1) {
        V *= options.scale;
        scaleLines(options.scale, centre);
    }
    if (lines) *lines = centre;
}

void bifurcationMesh(int targetVertices, Eigen::MatrixXd& V, Eigen::MatrixXi& F,
                     CentreLines* lines) {
    const CentreLines centre = centreLinesOf(layOutBifurcation());
    polygonise(centre, targetVertices, V, F);
    if (lines) *lines = centre;
}

}  // namespace vessel_tree
