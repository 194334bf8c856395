#include <algorithm>
#include <cmath>

#include "tree_layout.h"

namespace vessel_tree {

namespace {

// A grid stored in blocks of kBlock^3 points; only blocks near the tubes
// exist, the rest read as the field's band (outside). A dense grid around a
// spread-out tree would be mostly empty and, at fine spacings, too large.
constexpr int kBlock = 8;
constexpr int kBlockPoints = kBlock * kBlock * kBlock;

struct SparseGrid {
    Eigen::Vector3d origin;
    double h = 1;
    int n[3] = {0, 0, 0}, nb[3] = {0, 0, 0};
    float outside = 1;
    std::vector<int> slot;        // per block: index into the storage or -1
    std::vector<int> blocks;      // linear block index of each stored block
    std::vector<float> values;    // kBlockPoints per stored block
    std::vector<int> cellVertex;  // per stored point as a cell's lowest corner

    int blockIndex(int bi, int bj, int bk) const { return (bk * nb[1] + bj) * nb[0] + bi; }
    Eigen::Vector3d point(int i, int j, int k) const {
        return origin + h * Eigen::Vector3d(i, j, k);
    }
    // Storage index of a point, or -1 when its block does not exist.
    long index(int i, int j, int k) const {
        if (i < 0 || j < 0 || k < 0 || i >= n[0] || j >= n[1] || k >= n[2]) return -1;
        const int s = slot[blockIndex(i / kBlock, j / kBlock, k / kBlock)];
        if (s < 0) return -1;
        return long(s) * kBlockPoints + ((k % kBlock) * kBlock + (j % kBlock)) * kBlock +
               i % kBlock;
    }
    // Storage index of the point (x, y, z) + (dx, dy, dz), given the storage
    // index of (x, y, z); steps within a block need no lookup.
    long step(long from, int x, int y, int z, int dx, int dy, int dz) const {
        const int i = x % kBlock + dx, j = y % kBlock + dy, k = z % kBlock + dz;
        if (i >= 0 && j >= 0 && k >= 0 && i < kBlock && j < kBlock && k < kBlock)
            return from + (dz * kBlock + dy) * kBlock + dx;
        return index(x + dx, y + dy, z + dz);
    }
    // Calls visit(storage index, x, y, z) for every stored point within
    // `near` of the surface, block by block in storage order. The field
    // changes by little more than the distance moved, so a point farther out
    // lies in no cell, face or edge that the surface crosses.
    template <class Visit>
    void forEachNear(Visit&& visit) const {
        const float near = float(3 * h);
        for (size_t s = 0; s < blocks.size(); ++s) {
            const int b = blocks[s];
            const int bi = b % nb[0], bj = (b / nb[0]) % nb[1], bk = b / (nb[0] * nb[1]);
            for (int k = 0; k < kBlock; ++k)
                for (int j = 0; j < kBlock; ++j)
                    for (int i = 0; i < kBlock; ++i) {
                        const long index = long(s) * kBlockPoints + (k * kBlock + j) * kBlock + i;
                        if (std::abs(values[index]) <= near)
                            visit(index, bi * kBlock + i, bj * kBlock + j, bk * kBlock + k);
                    }
        }
    }
};

void buildGrid(const TubeField& field, double h, SparseGrid& g) {
    const Eigen::AlignedBox3d bounds = field.bounds();
    g.h = h;
    g.origin = bounds.min() - Eigen::Vector3d::Constant(h);
    g.outside = float(field.band());
    for (int a = 0; a < 3; ++a) {
        g.n[a] = int(std::ceil(bounds.sizes()[a] / h)) + 3;
        g.nb[a] = (g.n[a] + kBlock - 1) / kBlock;
    }
    g.slot.assign(size_t(g.nb[0]) * g.nb[1] * g.nb[2], -1);

    // A block is needed when some point of it may lie within the band of a
    // branch. The branch distance grows at most a little faster than the
    // Euclidean distance (the taper), hence the margin.
    const double reachFromCentre = field.band() + 1.25 * h * kBlock * std::sqrt(3.0) / 2 + h;
    std::vector<char> needed(g.slot.size(), 0);
    for (int b = 0; b < field.branchCount(); ++b) {
        const Eigen::AlignedBox3d& box = field.reach(b);
        int lo[3], hi[3];
        for (int a = 0; a < 3; ++a) {
            lo[a] = std::max(0, int(std::floor((box.min()[a] - g.origin[a]) / h)) / kBlock);
            hi[a] =
                std::min(g.nb[a] - 1, int(std::floor((box.max()[a] - g.origin[a]) / h)) / kBlock);
        }
        for (int bk = lo[2]; bk <= hi[2]; ++bk)
            for (int bj = lo[1]; bj <= hi[1]; ++bj)
                for (int bi = lo[0]; bi <= hi[0]; ++bi) {
                    const Eigen::Vector3d centre =
                        g.point(bi * kBlock, bj * kBlock, bk * kBlock) +
                        Eigen::Vector3d::Constant(h * (kBlock - 1) / 2.0);
                    if (field.branchDistance(b, centre) < reachFromCentre)
                        needed[g.blockIndex(bi, bj, bk)] = 1;
                }
    }
    for (size_t i = 0; i < needed.size(); ++i)
        if (needed[i]) {
            g.slot[i] = int(g.blocks.size());
            g.blocks.push_back(int(i));
        }
    g.values.assign(g.blocks.size() * kBlockPoints, g.outside);
    g.cellVertex.assign(g.blocks.size() * kBlockPoints, -1);

    // Every point is independent: the blocks are shared out among threads.
    const int threads = int(std::max(1u, std::min(16u, std::thread::hardware_concurrency())));
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([&g, &field, t, threads] {
            for (size_t s = t; s < g.blocks.size(); s += threads) {
                const int b = g.blocks[s];
                const int bi = b % g.nb[0], bj = (b / g.nb[0]) % g.nb[1],
                          bk = b / (g.nb[0] * g.nb[1]);
                for (int k = 0; k < kBlock; ++k)
                    for (int j = 0; j < kBlock; ++j)
                        for (int i = 0; i < kBlock; ++i)
                            g.values[s * kBlockPoints + (k * kBlock + j) * kBlock + i] =
                                float(field.value(
                                    g.point(bi * kBlock + i, bj * kBlock + j, bk * kBlock + k)));
            }
        });
    for (std::thread& w : workers) w.join();
}

// Offsets (along the two other axes) of the four grid points of the face
// spanned by a point and of the four cells around the edge leaving a point.
const int kFaceCorner[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
const int kEdgeCell[4][2] = {{-1, -1}, {0, -1}, {0, 0}, {-1, 0}};

// A grid face whose corners alternate in sign is ambiguous: the surface nets
// would join the two cells across it by two quads, giving an edge of four
// faces. Such faces sit at saddles (where branches meet). The bilinear
// interpolant's value at the face centre says which diagonal is connected;
// flipping the weakest corner of the other diagonal makes the face
// unambiguous with that same connection, moving the surface by a hair.
int resolveAmbiguousFaces(SparseGrid& g) {
    int flips = 0;
    g.forEachNear([&](long from, int x, int y, int z) {
        for (int axis = 0; axis < 3; ++axis) {
            const int u = (axis + 1) % 3, w = (axis + 2) % 3;
            long index[4];
            float v[4];
            bool stored = true;
            for (int c = 0; c < 4; ++c) {
                int d[3] = {0, 0, 0};
                d[u] = kFaceCorner[c][0];
                d[w] = kFaceCorner[c][1];
                index[c] = g.step(from, x, y, z, d[0], d[1], d[2]);
                stored = stored && index[c] >= 0;
                v[c] = index[c] < 0 ? g.outside : g.values[index[c]];
            }
            const bool in0 = v[0] < 0, in1 = v[1] < 0;
            if (!stored || in0 == in1 || (v[2] < 0) != in0 || (v[3] < 0) != in1) continue;
            const double centre =
                (double(v[0]) * v[2] - double(v[1]) * v[3]) / (double(v[0]) + v[2] - v[1] - v[3]);
            // Corners 0 and 2 form one diagonal, 1 and 3 the other.
            const bool keepFirstDiagonal = (centre < 0) == in0;
            const int a = keepFirstDiagonal ? 1 : 0, c = a + 2;
            const int weakest = std::abs(v[a]) <= std::abs(v[c]) ? a : c;
            const float tiny = 1e-6f * float(g.h);
            g.values[index[weakest]] = v[weakest] < 0 ? tiny : -tiny;
            ++flips;
        }
    });
    return flips;
}

const int kCorner[8][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0},
                           {0, 0, 1}, {1, 0, 1}, {0, 1, 1}, {1, 1, 1}};
const int kCellEdge[12][2] = {{0, 1}, {2, 3}, {4, 5}, {6, 7}, {0, 2}, {1, 3},
                              {4, 6}, {5, 7}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};

// The mean of the edge crossings of the cell whose lowest corner is (x, y, z),
// false when the field does not change sign in the cell.
bool cellVertex(const SparseGrid& g, long from, int x, int y, int z, Eigen::Vector3d& vertex) {
    if (x + 1 >= g.n[0] || y + 1 >= g.n[1] || z + 1 >= g.n[2]) return false;
    float v[8];
    int inside = 0;
    for (int c = 0; c < 8; ++c) {
        const long k = g.step(from, x, y, z, kCorner[c][0], kCorner[c][1], kCorner[c][2]);
        v[c] = k < 0 ? g.outside : g.values[k];
        inside += v[c] < 0;
    }
    if (inside == 0 || inside == 8) return false;
    Eigen::Vector3d sum = Eigen::Vector3d::Zero();
    int crossings = 0;
    for (const auto& e : kCellEdge) {
        const float a = v[e[0]], c = v[e[1]];
        if ((a < 0) == (c < 0)) continue;
        const double t = a / double(a - c);
        const Eigen::Vector3d pa(kCorner[e[0]][0], kCorner[e[0]][1], kCorner[e[0]][2]);
        const Eigen::Vector3d pc(kCorner[e[1]][0], kCorner[e[1]][1], kCorner[e[1]][2]);
        sum += pa + t * (pc - pa);
        ++crossings;
    }
    vertex = g.point(x, y, z) + g.h * sum / crossings;
    return true;
}

}  // namespace

void surfaceNets(const TubeField& field, double h, Eigen::MatrixXd& V,
                 std::vector<Eigen::Vector4i>& quads) {
    SparseGrid g;
    buildGrid(field, h, g);
    for (int pass = 0; pass < 8 && resolveAmbiguousFaces(g) > 0; ++pass) {
    }

    std::vector<Eigen::Vector3d> points;
    g.forEachNear([&](long index, int x, int y, int z) {
        Eigen::Vector3d vertex;
        if (!cellVertex(g, index, x, y, z, vertex)) return;
        g.cellVertex[index] = int(points.size());
        points.push_back(vertex);
    });
    V.resize(points.size(), 3);
    for (size_t i = 0; i < points.size(); ++i) V.row(i) = points[i].transpose();

    // Quads: around each grid edge that crosses the surface, the four cells
    // sharing it, ordered counter-clockwise about the axis (the next axis,
    // then the one after), so the normal points along +axis; reversed when the
    // field goes from outside to inside along the axis.
    quads.clear();
    g.forEachNear([&](long index, int x, int y, int z) {
        const bool in = g.values[index] < 0;
        for (int axis = 0; axis < 3; ++axis) {
            int d[3] = {0, 0, 0};
            d[axis] = 1;
            const long next = g.step(index, x, y, z, d[0], d[1], d[2]);
            if ((next >= 0 ? g.values[next] < 0 : false) == in) continue;
            const int u = (axis + 1) % 3, w = (axis + 2) % 3;
            Eigen::Vector4i quad;
            for (int c = 0; c < 4; ++c) {
                d[axis] = 0;
                d[u] = kEdgeCell[c][0];
                d[w] = kEdgeCell[c][1];
                const long k = g.step(index, x, y, z, d[0], d[1], d[2]);
                quad[c] = k < 0 ? -1 : g.cellVertex[k];
            }
            // Every cell around a crossing edge has a vertex; the test only
            // guards the indexing.
            if ((quad.array() < 0).any()) continue;
            if (!in) std::swap(quad[1], quad[3]);
            quads.push_back(quad);
        }
    });
}

}  // namespace vessel_tree
