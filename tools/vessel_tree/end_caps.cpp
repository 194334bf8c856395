// Cut vessel ends, as capped CFD models and open segmentations have them: the
// round end of each vessel is cut away by a plane across its centre line and
// the rim is left open or closed by a flat cap.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <tuple>
#include <unordered_map>

#include "tree_layout.h"

namespace vessel_tree {

namespace {

struct Work {
    std::vector<Eigen::Vector3d> V;
    std::vector<Eigen::Vector3i> F;
    std::vector<char> removed;  // per face
};

uint64_t edgeKey(int a, int b) {
    return uint64_t(std::min(a, b)) << 32 | uint32_t(std::max(a, b));
}

// Height of each vertex over the plane moved by `offset` along the normal;
// NaN beyond reach.
std::vector<double> heights(const Work& m, const Cut& cut, double offset) {
    std::vector<double> d(m.V.size(), NAN);
    for (size_t i = 0; i < m.V.size(); ++i)
        if ((m.V[i] - cut.centre).norm() < cut.reach)
            d[i] = cut.normal.dot(m.V[i] - cut.centre) - offset;
    return d;
}

// Splits the triangles that the plane (moved by offset) crosses, with one new
// vertex per crossed edge. Vertices within `snap` of the plane are first
// moved onto it along the normal (along the vessel's wall), so the cut makes
// no pieces thinner than snap.
void slice(Work& m, const Cut& cut, double offset, double snap) {
    std::vector<double> d = heights(m, cut, offset);
    for (size_t i = 0; i < d.size(); ++i)
        if (std::abs(d[i]) < snap) {
            m.V[i] -= d[i] * cut.normal;
            d[i] = 0;
        }
    std::unordered_map<uint64_t, int> middle;
    auto crossing = [&](int a, int b) {
        if (!(d[a] * d[b] < 0)) return -1;  // also false for NaN
        const auto found = middle.find(edgeKey(a, b));
        if (found != middle.end()) return found->second;
        const int lo = std::min(a, b), hi = std::max(a, b);
        const double t = d[lo] / (d[lo] - d[hi]);
        m.V.push_back(m.V[lo] + t * (m.V[hi] - m.V[lo]));
        middle.emplace(edgeKey(a, b), int(m.V.size()) - 1);
        return int(m.V.size()) - 1;
    };
    const size_t faces = m.F.size();
    for (size_t f = 0; f < faces; ++f) {
        if (m.removed[f]) continue;
        const Eigen::Vector3i v = m.F[f];
        int cross[3], count = 0;
        for (int k = 0; k < 3; ++k) count += (cross[k] = crossing(v[k], v[(k + 1) % 3])) >= 0;
        if (count == 1) {
            const int k = cross[0] >= 0 ? 0 : cross[1] >= 0 ? 1 : 2;
            m.F[f] = {v[k], cross[k], v[(k + 2) % 3]};
            m.F.emplace_back(cross[k], v[(k + 1) % 3], v[(k + 2) % 3]);
        } else if (count == 2) {
            // Vertex k is alone on its side: a triangle there, a quad beyond.
            const int k = cross[0] < 0 ? 2 : cross[1] < 0 ? 0 : 1;
            const int a = cross[k], c = cross[(k + 2) % 3];
            const int b = v[(k + 1) % 3], e = v[(k + 2) % 3];
            m.F[f] = {v[k], a, c};
            if ((m.V[a] - m.V[e]).norm() < (m.V[b] - m.V[c]).norm()) {
                m.F.emplace_back(a, b, e);
                m.F.emplace_back(a, e, c);
            } else {
                m.F.emplace_back(a, b, c);
                m.F.emplace_back(b, e, c);
            }
        }
    }
    m.removed.resize(m.F.size(), 0);
}

// Removes the part beyond the plane that holds the vessel's far end. Returns
// the removed faces' half-edges along the rim: a cap walks them the same way.
std::vector<std::pair<int, int>> cutAway(Work& m, const Cut& cut, double tolerance) {
    const std::vector<double> d = heights(m, cut, 0.0);
    std::unordered_map<uint64_t, std::vector<int>> facesOf;  // near faces by edge
    std::vector<int> beyond;
    int seed = -1;
    double highest = -INFINITY;
    for (size_t f = 0; f < m.F.size(); ++f) {
        if (m.removed[f]) continue;
        const Eigen::Vector3i& v = m.F[f];
        if (std::isnan(d[v[0]]) || std::isnan(d[v[1]]) || std::isnan(d[v[2]])) continue;
        for (int k = 0; k < 3; ++k) facesOf[edgeKey(v[k], v[(k + 1) % 3])].push_back(int(f));
        const double low = std::min({d[v[0]], d[v[1]], d[v[2]]});
        const double high = std::max({d[v[0]], d[v[1]], d[v[2]]});
        if (low < -tolerance) continue;
        beyond.push_back(int(f));
        if (high > highest) std::tie(highest, seed) = std::make_pair(high, int(f));
    }
    std::vector<char> isBeyond(m.F.size(), 0), reached(m.F.size(), 0);
    for (int f : beyond) isBeyond[f] = 1;
    std::vector<int> stack;
    if (seed >= 0) stack.push_back(seed), reached[seed] = 1;
    while (!stack.empty()) {
        const Eigen::Vector3i v = m.F[stack.back()];
        stack.pop_back();
        for (int k = 0; k < 3; ++k)
            for (int g : facesOf[edgeKey(v[k], v[(k + 1) % 3])])
                if (isBeyond[g] && !reached[g]) stack.push_back(g), reached[g] = 1;
    }
    std::vector<std::pair<int, int>> rim;
    for (int f : beyond) {
        if (!reached[f]) continue;
        m.removed[f] = 1;
        const Eigen::Vector3i& v = m.F[f];
        for (int k = 0; k < 3; ++k) {
            const std::vector<int>& sides = facesOf[edgeKey(v[k], v[(k + 1) % 3])];
            if (std::any_of(sides.begin(), sides.end(), [&](int g) { return !reached[g]; }))
                rim.emplace_back(v[k], v[(k + 1) % 3]);
        }
    }
    return rim;
}

// Triangles between an outer loop and an inner one that both turn the cap's
// way from about the same angle; t is each vertex's fraction of the turn.
void zip(const std::vector<int>& outer, const std::vector<double>& tOuter,
         const std::vector<int>& inner, const std::vector<double>& tInner,
         std::vector<Eigen::Vector3i>& F) {
    const size_t n = outer.size(), m = inner.size();
    for (size_t i = 0, j = 0; i < n || j < m;) {
        const double nextOuter = i + 1 < n ? tOuter[i + 1] : 1.0;
        const double nextInner = j + 1 < m ? tInner[j + 1] : 1.0;
        if (j == m || (i < n && nextOuter <= nextInner)) {
            F.emplace_back(outer[i], outer[(i + 1) % n], inner[j % m]);
            ++i;
        } else {
            F.emplace_back(inner[(j + 1) % m], inner[j], outer[i % n]);
            ++j;
        }
    }
}

// A flat cap of concentric rings about h apart, or, when `fan` is set or
// the rim is not one loop around the centre, a fan from the rim to the centre.
void closeRim(Work& m, const Cut& cut, const std::vector<std::pair<int, int>>& rim, double h,
              bool fan) {
    if (rim.empty()) return;
    const int centre = int(m.V.size());
    m.V.push_back(cut.centre);
    auto fanOut = [&] {
        for (const auto& [a, b] : rim) m.F.emplace_back(a, b, centre);
    };
    if (fan) return fanOut();
    std::map<int, int> next;
    for (const auto& [a, b] : rim) next[a] = b;
    std::vector<int> loop = {rim[0].first};
    for (auto step = next.find(loop.back());
         step != next.end() && step->second != loop[0] && loop.size() <= rim.size();
         step = next.find(loop.back()))
        loop.push_back(step->second);
    const Eigen::Vector3d e1 = (m.V[loop[0]] - cut.centre).normalized();
    const Eigen::Vector3d e2 = cut.normal.cross(e1);
    // The rim's turning sense about the normal, from its first step.
    const int sense = loop.size() > 1 && e2.dot(m.V[loop[1]] - cut.centre) < 0 ? -1 : 1;
    std::vector<double> t(loop.size(), 0.0);
    double radius = 0;
    bool aroundOnce =
        loop.size() == rim.size() && next.count(loop.back()) && next.at(loop.back()) == loop[0];
    for (size_t i = 0; i < loop.size(); ++i) {
        const Eigen::Vector3d p = m.V[loop[i]] - cut.centre;
        const double angle = sense * std::atan2(e2.dot(p), e1.dot(p));
        t[i] = i == 0 ? 0.0 : std::fmod(angle + 4 * M_PI, 2 * M_PI) / (2 * M_PI);
        aroundOnce = aroundOnce && (i == 0 || t[i] > t[i - 1]);
        radius += p.norm() / loop.size();
    }
    if (!aroundOnce) return fanOut();
    const int rings = std::max(1, int(std::lround(radius / h)));
    std::vector<int> outer = loop;
    for (int k = 1; k < rings; ++k) {
        const double rho = radius * (1.0 - double(k) / rings);
        const int count = std::max(3, int(std::lround(2 * M_PI * rho / h)));
        std::vector<int> inner(count);
        std::vector<double> tInner(count);
        for (int j = 0; j < count; ++j) {
            tInner[j] = double(j) / count;
            const double angle = sense * 2 * M_PI * tInner[j];
            inner[j] = int(m.V.size());
            m.V.push_back(cut.centre + rho * (std::cos(angle) * e1 + std::sin(angle) * e2));
        }
        zip(outer, t, inner, tInner, m.F);
        outer.swap(inner);
        t.swap(tInner);
    }
    for (size_t i = 0; i < outer.size(); ++i)
        m.F.emplace_back(outer[i], outer[(i + 1) % outer.size()], centre);
}

// A flow extension: the rim carried straight on along the cut's normal by
// `length`, in rings `spacing` apart (long needle triangles between them).
// The rim and the cut's centre move to its far end.
void extend(Work& m, Cut& cut, std::vector<std::pair<int, int>>& rim, double length,
            double spacing) {
    const int rings = std::max(1, int(std::lround(length / spacing)));
    std::map<int, int> current;  // rim vertex -> its copy on the latest ring
    for (const auto& [a, b] : rim) current[a] = a, current[b] = b;
    for (int k = 1; k <= rings; ++k) {
        std::map<int, int> next;
        for (const auto& [v, unused] : current) {
            next[v] = int(m.V.size());
            m.V.push_back(m.V[v] + (length * k / rings) * cut.normal);
        }
        for (const auto& [a, b] : rim) {
            m.F.emplace_back(current[a], current[b], next[b]);
            m.F.emplace_back(current[a], next[b], next[a]);
        }
        current.swap(next);
    }
    for (auto& [a, b] : rim) a = current[a], b = current[b];
    cut.centre += length * cut.normal;
}

}  // namespace

std::vector<Cut> trimEnds(CentreLines& lines) {
    // The trunk's first segment and every leaf segment (in the tips' order)
    // lose half their end radius.
    std::vector<char> hasChild(lines.segments.size(), 0);
    for (const Segment& s : lines.segments)
        if (s.parent >= 0) hasChild[s.parent] = 1;
    std::vector<Cut> cuts;
    size_t tip = 0;
    for (size_t i = 0; i < lines.segments.size(); ++i) {
        Segment& s = lines.segments[i];
        const double length = (s.b - s.a).norm();
        if (i == 0) {
            const double t = 0.5 * s.ra / length;
            s.a += t * (s.b - s.a);
            s.ra += t * (s.rb - s.ra);
            lines.root = s.a;
            lines.rootRadius = s.ra;
            cuts.push_back({s.a, (s.a - s.b).normalized(), s.ra, 0});
        }
        if (!hasChild[i] && tip < lines.tips.size()) {
            const double t = 0.5 * s.rb / length;
            s.b -= t * (s.b - s.a);
            s.rb -= t * (s.rb - s.ra);
            lines.tips[tip] = s.b;
            lines.tipRadii[tip++] = s.rb;
            cuts.push_back({s.b, (s.b - s.a).normalized(), s.rb, 0});
        }
    }
    measurePaths(lines);
    return cuts;
}

void cutEnds(std::vector<Cut> cuts, bool cap, bool slivers, double extension, Eigen::MatrixXd& V,
             Eigen::MatrixXi& F) {
    if (F.rows() == 0) return;
    Work m;
    double h = 0;
    for (int i = 0; i < V.rows(); ++i) m.V.emplace_back(V.row(i).transpose());
    for (int f = 0; f < F.rows(); ++f) {
        m.F.emplace_back(F.row(f).transpose());
        for (int k = 0; k < 3; ++k) h += (V.row(F(f, k)) - V.row(F(f, (k + 1) % 3))).norm();
    }
    h /= 3.0 * F.rows();
    m.removed.assign(m.F.size(), 0);

    for (Cut& cut : cuts) {
        cut.reach = 2 * cut.radius + 3 * h;
        slice(m, cut, 0.0, 0.3 * h);
        // Needle rings: planes a hair behind the rim split the wall's
        // triangles there into long, very thin strips.
        if (slivers)
            for (double offset : {0.003, 0.01, 0.03}) slice(m, cut, -offset * h, 0.0);
        auto rim = cutAway(m, cut, 1e-6 * h);
        if (&cut == &cuts[0] && extension > 0) extend(m, cut, rim, extension, 10 * h);
        if (cap) closeRim(m, cut, rim, h, slivers);
        m.removed.resize(m.F.size(), 0);
    }

    // Drop the removed faces and the vertices no face uses any more.
    std::vector<int> index(m.V.size(), -1);
    int faces = 0, vertices = 0;
    for (size_t f = 0; f < m.F.size(); ++f)
        if (!m.removed[f]) {
            ++faces;
            for (int k = 0; k < 3; ++k) index[m.F[f][k]] = 0;
        }
    for (int& i : index)
        if (i == 0) i = vertices++;
    V.resize(vertices, 3);
    for (size_t i = 0; i < m.V.size(); ++i)
        if (index[i] >= 0) V.row(index[i]) = m.V[i].transpose();
    F.resize(faces, 3);
    faces = 0;
    for (size_t f = 0; f < m.F.size(); ++f)
        if (!m.removed[f]) F.row(faces++) << index[m.F[f][0]], index[m.F[f][1]], index[m.F[f][2]];
}

}  // namespace vessel_tree
