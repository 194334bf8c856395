// Writes a flat grid of about N vertices (100,000 by default) in each
// format into a temporary folder, reads every file back with
// read_triangle_mesh and prints the best of three read times. Then times the
// parameter-file reader on two hostile files (a 2 MB key of escaped "=" and
// 10 MB of blank lines) against a plain read of the same bytes, the median
// of five runs each: the ratio stays small when reading is linear.

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "geometry/read_triangle_mesh.h"
#include "parameters/ini_file.h"

namespace {

struct Grid {
    int side;
    std::vector<double> points;  // x, y, z
    std::vector<int> quads;      // four corners each
};

Grid makeGrid(int vertices) {
    Grid grid;
    grid.side = std::max(2, static_cast<int>(std::sqrt(static_cast<double>(vertices))));
    const int n = grid.side;
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            grid.points.insert(grid.points.end(),
                               {i * 0.013, j * 0.017, std::sin(i * 0.1) * std::cos(j * 0.1)});
        }
    for (int j = 0; j + 1 < n; ++j)
        for (int i = 0; i + 1 < n; ++i)
            grid.quads.insert(grid.quads.end(),
                              {j * n + i, j * n + i + 1, (j + 1) * n + i + 1, (j + 1) * n + i});
    return grid;
}

void writeText(const std::string& path, const std::function<void(std::FILE*)>& body) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::perror(path.c_str());
        std::exit(1);
    }
    body(file);
    std::fclose(file);
}

void writeFloat(std::FILE* file, float value) {
    std::fwrite(&value, 4, 1, file);
}

void writeFiles(const Grid& g, const std::string& dir) {
    const std::size_t nv = g.points.size() / 3, nq = g.quads.size() / 4;
    writeText(dir + "/grid.off", [&](std::FILE* f) {
        std::fprintf(f, "OFF\n%zu %zu 0\n", nv, nq);
        for (std::size_t i = 0; i < nv; ++i)
            std::fprintf(f, "%.17g %.17g %.17g\n", g.points[3 * i], g.points[3 * i + 1],
                         g.points[3 * i + 2]);
        for (std::size_t q = 0; q < nq; ++q)
            std::fprintf(f, "4 %d %d %d %d\n", g.quads[4 * q], g.quads[4 * q + 1],
                         g.quads[4 * q + 2], g.quads[4 * q + 3]);
    });
    writeText(dir + "/grid.obj", [&](std::FILE* f) {
        for (std::size_t i = 0; i < nv; ++i)
            std::fprintf(f, "v %.9g %.9g %.9g\n", g.points[3 * i], g.points[3 * i + 1],
                         g.points[3 * i + 2]);
        for (std::size_t q = 0; q < nq; ++q)
            std::fprintf(f, "f %d//1 %d//1 %d//1 %d//1\n", g.quads[4 * q] + 1,
                         g.quads[4 * q + 1] + 1, g.quads[4 * q + 2] + 1, g.quads[4 * q + 3] + 1);
    });
    // The binary writers assume a little-endian machine, as this one is.
    writeText(dir + "/grid.ply", [&](std::FILE* f) {
        std::fprintf(f,
                     "ply\nformat binary_little_endian 1.0\nelement vertex %zu\n"
                     "property float x\nproperty float y\nproperty float z\nelement face %zu\n"
                     "property list uchar int vertex_indices\nend_header\n",
                     nv, nq);
        for (double v : g.points) writeFloat(f, static_cast<float>(v));
        for (std::size_t q = 0; q < nq; ++q) {
            std::fputc(4, f);
            std::fwrite(&g.quads[4 * q], 4, 4, f);
        }
    });
    writeText(dir + "/grid.stl", [&](std::FILE* f) {
        char header[80] = "bench grid";
        std::fwrite(header, 1, 80, f);
        std::uint32_t count = static_cast<std::uint32_t>(2 * nq);
        std::fwrite(&count, 4, 1, f);
        for (std::size_t q = 0; q < nq; ++q) {
            for (int t = 0; t < 2; ++t) {
                const int corners[3] = {g.quads[4 * q], g.quads[4 * q + 1 + t],
                                        g.quads[4 * q + 2 + t]};
                for (int d = 0; d < 3; ++d) writeFloat(f, 0.0f);
                for (int c : corners)
                    for (int d = 0; d < 3; ++d)
                        writeFloat(f, static_cast<float>(g.points[3 * c + d]));
                std::fputc(0, f);
                std::fputc(0, f);
            }
        }
    });
}

double medianMilliseconds(const std::function<void()>& run) {
    std::vector<double> times;
    for (int k = 0; k < 5; ++k) {
        auto start = std::chrono::steady_clock::now();
        run();
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::sort(times.begin(), times.end());
    return times[2];
}

void benchParameterFiles(const std::string& dir) {
    std::string escapes = "[settings]\n";
    for (int i = 0; i < 1000000; ++i) escapes += "\\=";
    const std::pair<const char*, std::string> files[] = {
        {"escapes.ini", escapes + "=v\n"},
        {"blank.ini", "[settings]" + std::string(10000000, '\n') + "k=v"}};
    for (const auto& [name, bytes] : files) {
        const std::string path = dir + "/" + name;
        if (FILE* f = std::fopen(path.c_str(), "wb")) {
            std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }
        const double copy = medianMilliseconds([&] {
            std::string data(bytes.size(), '\0');
            FILE* f = std::fopen(path.c_str(), "rb");
            if (f && std::fread(&data[0], 1, data.size(), f) != data.size()) data.clear();
            if (f) std::fclose(f);
        });
        const double read = medianMilliseconds([&] {
            IniDocument document;
            IniFile(path).read(document);
        });
        std::printf("%-12s %6.1f MB  plain read %7.1f ms  parameter read %8.1f ms  ratio %6.1f\n",
                    name, bytes.size() / 1e6, copy, read, read / copy);
        std::remove(path.c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int vertices = argc > 1 ? std::atoi(argv[1]) : 100000;
    char pattern[] = "/tmp/morvik_bench_readers_XXXXXX";
    if (!mkdtemp(pattern)) return 1;
    const std::string dir = pattern;
    Grid grid = makeGrid(vertices);
    writeFiles(grid, dir);
    std::printf("grid of %zu vertices, %zu quads\n", grid.points.size() / 3, grid.quads.size() / 4);
    for (const char* name : {"grid.off", "grid.obj", "grid.ply", "grid.stl"}) {
        const std::string path = dir + "/" + name;
        double best = 1e30;
        Eigen::MatrixXd V;
        Eigen::MatrixXi F;
        for (int run = 0; run < 3; ++run) {
            auto start = std::chrono::steady_clock::now();
            if (!geometry::read_triangle_mesh(path, V, F)) return 1;
            std::chrono::duration<double, std::milli> took =
                std::chrono::steady_clock::now() - start;
            best = std::min(best, took.count());
        }
        std::printf("%-9s %8ld vertices %8ld triangles  %8.1f ms\n", name,
                    static_cast<long>(V.rows()), static_cast<long>(F.rows()), best);
        std::remove(path.c_str());
    }
    benchParameterFiles(dir);
    rmdir(dir.c_str());
    return 0;
}
