// Writes the textures the renderer reads:
//   arrow.png        256 x 128 RGBA, a white arrow with a dark outline pointing
//                    along +x (+u), on a transparent surround so that repeated
//                    decals stand apart
//   grad_WhBu.jpg    white to blue      256 x 8 RGB
//   grad_WhGn.png    white to green     256 x 8 RGB
//   grad_OrRd.png    orange to red      256 x 8 RGB
//   grad_magma.png   the magma ramp     256 x 8 RGB
// The colour maps interpolate published control points linearly; column 0 is
// the low end of the scalar field.
//   make_textures [output folder]   (default assets/textures)

#include <stb_image_write.h>

#include <Eigen/Core>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const int kRampWidth = 256, kRampHeight = 8;

// Sequential colour-map control points, evenly spaced from low to high.
const std::vector<uint32_t> kWhiteBlue = {0xf7fbff, 0xdeebf7, 0xc6dbef, 0x9ecae1, 0x6baed6,
                                          0x4292c6, 0x2171b5, 0x08519c, 0x08306b};
const std::vector<uint32_t> kWhiteGreen = {0xf7fcf5, 0xe5f5e0, 0xc7e9c0, 0xa1d99b, 0x74c476,
                                           0x41ab5d, 0x238b45, 0x006d2c, 0x00441b};
// The orange-red ramp without its two palest steps, so that it starts orange.
const std::vector<uint32_t> kOrangeRed = {0xfdd49e, 0xfdbb84, 0xfc8d59, 0xef6548,
                                          0xd7301f, 0xb30000, 0x7f0000};
const std::vector<uint32_t> kMagma = {0x000004, 0x1c1044, 0x4f127b, 0x812581, 0xb5367a,
                                      0xe55064, 0xfb8761, 0xfec287, 0xfcfdbf};

std::vector<unsigned char> ramp(const std::vector<uint32_t>& stops) {
    std::vector<unsigned char> pixels(kRampWidth * kRampHeight * 3);
    for (int x = 0; x < kRampWidth; ++x) {
        const double s = double(x) / (kRampWidth - 1) * (stops.size() - 1);
        const int i = std::min(int(s), int(stops.size()) - 2);
        const double t = s - i;
        for (int c = 0; c < 3; ++c) {
            const int shift = 16 - 8 * c;
            const double a = (stops[i] >> shift) & 0xff, b = (stops[i + 1] >> shift) & 0xff;
            const auto value = (unsigned char)std::lround(a + t * (b - a));
            for (int y = 0; y < kRampHeight; ++y) pixels[(y * kRampWidth + x) * 3 + c] = value;
        }
    }
    return pixels;
}

double segmentDistance(const Eigen::Vector2d& p, const Eigen::Vector2d& a,
                       const Eigen::Vector2d& b) {
    const Eigen::Vector2d ab = b - a;
    const double t = std::clamp((p - a).dot(ab) / ab.squaredNorm(), 0.0, 1.0);
    return (p - (a + t * ab)).norm();
}

// Signed distance to a convex polygon given counter-clockwise (in y-up terms;
// the sign test only needs one consistent winding).
double convexDistance(const Eigen::Vector2d& p, const std::vector<Eigen::Vector2d>& poly) {
    bool inside = true;
    double distance = INFINITY;
    for (size_t i = 0; i < poly.size(); ++i) {
        const Eigen::Vector2d& a = poly[i];
        const Eigen::Vector2d& b = poly[(i + 1) % poly.size()];
        const Eigen::Vector2d e = b - a, w = p - a;
        if (e.x() * w.y() - e.y() * w.x() < 0) inside = false;
        distance = std::min(distance, segmentDistance(p, a, b));
    }
    return inside ? -distance : distance;
}

std::vector<unsigned char> arrow(int width, int height) {
    const double cy = height / 2.0;
    // Shaft and head, both convex, wound the same way.
    const std::vector<Eigen::Vector2d> shaft = {
        {20, cy - 16}, {160, cy - 16}, {160, cy + 16}, {20, cy + 16}};
    const std::vector<Eigen::Vector2d> head = {{148, cy - 46}, {236, cy}, {148, cy + 46}};
    const double outline = 4.0;
    const int samples = 8;  // per axis, for antialiasing
    std::vector<unsigned char> pixels(width * height * 4);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            int inner = 0, outer = 0;
            for (int sy = 0; sy < samples; ++sy)
                for (int sx = 0; sx < samples; ++sx) {
                    const Eigen::Vector2d p(x + (sx + 0.5) / samples, y + (sy + 0.5) / samples);
                    const double d = std::min(convexDistance(p, shaft), convexDistance(p, head));
                    inner += d <= 0;
                    outer += d <= outline;
                }
            const double fill = outer ? double(inner) / outer : 0.0;
            const double alpha = double(outer) / (samples * samples);
            unsigned char* px = &pixels[(y * width + x) * 4];
            // Outline colour under the transparent surround too, so that
            // filtering never pulls in a light fringe.
            for (int c = 0; c < 3; ++c) px[c] = (unsigned char)std::lround(40 + fill * (250 - 40));
            px[3] = (unsigned char)std::lround(alpha * 255);
        }
    return pixels;
}

bool writeRamp(const std::string& path, const std::vector<uint32_t>& stops) {
    const std::vector<unsigned char> pixels = ramp(stops);
    const bool jpeg = path.size() > 4 && path.compare(path.size() - 4, 4, ".jpg") == 0;
    return jpeg ? stbi_write_jpg(path.c_str(), kRampWidth, kRampHeight, 3, pixels.data(), 100)
                : stbi_write_png(path.c_str(), kRampWidth, kRampHeight, 3, pixels.data(),
                                 kRampWidth * 3);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? argv[1] : "assets/textures";
    const int aw = 256, ah = 128;
    const std::vector<unsigned char> arrowPixels = arrow(aw, ah);
    bool ok = stbi_write_png((dir + "/arrow.png").c_str(), aw, ah, 4, arrowPixels.data(), aw * 4);
    ok = writeRamp(dir + "/grad_WhBu.jpg", kWhiteBlue) && ok;
    ok = writeRamp(dir + "/grad_WhGn.png", kWhiteGreen) && ok;
    ok = writeRamp(dir + "/grad_OrRd.png", kOrangeRed) && ok;
    ok = writeRamp(dir + "/grad_magma.png", kMagma) && ok;
    std::printf(ok ? "textures written to %s\n" : "cannot write textures to %s\n", dir.c_str());
    return ok ? 0 : 1;
}
