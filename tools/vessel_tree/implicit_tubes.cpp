#include <algorithm>
#include <cmath>

#include "tree_layout.h"

namespace vessel_tree {

TubeField::TubeField(const CentreLines& lines, double band)
    : segments_(lines.segments), band_(band) {
    for (size_t i = 0; i < segments_.size(); ++i) {
        const Segment& s = segments_[i];
        if (branches_.empty() || s.branch != segments_[i - 1].branch) {
            branches_.emplace_back();
            branches_.back().first = int(i);
            // Blends wide enough for a fillet, narrow enough to keep thin
            // branches from swelling where they leave a thick one.
            branches_.back().blend = 0.5 * s.ra;
        }
        Chain& c = branches_.back();
        ++c.count;
        const double grow = std::max(s.ra, s.rb) + band;
        c.box.extend(s.a - Eigen::Vector3d::Constant(grow));
        c.box.extend(s.a + Eigen::Vector3d::Constant(grow));
        c.box.extend(s.b - Eigen::Vector3d::Constant(grow));
        c.box.extend(s.b + Eigen::Vector3d::Constant(grow));
    }
}

double TubeField::branchDistance(int branch, const Eigen::Vector3d& p) const {
    const Chain& c = branches_[branch];
    double best = INFINITY;
    for (int i = c.first; i < c.first + c.count; ++i) {
        const Segment& s = segments_[i];
        const Eigen::Vector3d axis = s.b - s.a;
        const double t = std::clamp((p - s.a).dot(axis) / axis.squaredNorm(), 0.0, 1.0);
        best = std::min(best, (p - (s.a + t * axis)).norm() - (s.ra + t * (s.rb - s.ra)));
    }
    return best;
}

double TubeField::fold(int branch, double v, double d) const {
    if (d >= band_) return v;
    const double k = branches_[branch].blend;
    const double h = std::max(k - std::abs(v - d), 0.0) / k;
    return std::min(v, d) - h * h * k * 0.25;
}

double TubeField::value(const Eigen::Vector3d& p) const {
    double v = band_;
    for (int b = 0; b < int(branches_.size()); ++b)
        if (branches_[b].box.contains(p)) v = fold(b, v, branchDistance(b, p));
    return v;
}

Eigen::Vector3d TubeField::gradient(const Eigen::Vector3d& p, double step) const {
    Eigen::Vector3d g;
    for (int axis = 0; axis < 3; ++axis) {
        Eigen::Vector3d q = p, r = p;
        q[axis] += step;
        r[axis] -= step;
        g[axis] = (value(q) - value(r)) / (2 * step);
    }
    return g;
}

Eigen::AlignedBox3d TubeField::bounds() const {
    Eigen::AlignedBox3d box;
    for (const Chain& c : branches_) box.extend(c.box);
    return box;
}

}  // namespace vessel_tree
