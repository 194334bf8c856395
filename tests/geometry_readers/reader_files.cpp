#include "reader_files.h"

#include <ftw.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "geometry/read_triangle_mesh.h"

namespace {

std::string madeDir;
pid_t madeBy = 0;  // a forked child must not remove the folder

int removeEntry(const char* path, const struct stat*, int, struct FTW*) {
    return remove(path);
}

void removeScratchDir() {
    if (getpid() == madeBy) nftw(madeDir.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
}

}  // namespace

std::string scratchDir() {
    static const std::string dir = [] {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/morvik_readers_XXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        if (!mkdtemp(buffer.data())) std::abort();
        madeDir = buffer.data();
        madeBy = getpid();
        std::atexit(removeScratchDir);
        return madeDir;
    }();
    return dir;
}

std::string writeFile(const std::string& name, const std::string& contents) {
    std::string path = scratchDir() + "/" + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    EXPECT_NE(file, nullptr) << path;
    if (!file) return path;
    std::fwrite(contents.data(), 1, contents.size(), file);
    std::fclose(file);
    return path;
}

ReadResult readMesh(const std::string& path) {
    ReadResult result;
    testing::internal::CaptureStderr();
    result.ok = geometry::read_triangle_mesh(path, result.V, result.F);
    result.err = testing::internal::GetCapturedStderr();
    return result;
}

void ByteWriter::raw(std::uint64_t bits, int size) {
    for (int k = 0; k < size; ++k) {
        int shift = 8 * (bigEndian ? size - 1 - k : k);
        bytes.push_back(static_cast<char>((bits >> shift) & 0xff));
    }
}

void ByteWriter::f32(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    raw(bits, 4);
}

void ByteWriter::f64(double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    raw(bits, 8);
}

std::string binaryStl(const std::string& header, const std::vector<float>& corners, long count) {
    ByteWriter out;
    out.bytes = header.substr(0, 80);
    out.bytes.resize(80, ' ');
    const long triangles = static_cast<long>(corners.size() / 9);
    out.u32(static_cast<std::uint32_t>(count < 0 ? triangles : count));
    for (long t = 0; t < triangles; ++t) {
        for (int d = 0; d < 3; ++d) out.f32(0.0f);  // normal, unused by the reader
        for (int k = 0; k < 9; ++k) out.f32(corners[9 * t + k]);
        out.u16(0);
    }
    return out.bytes;
}

Eigen::MatrixXd pointRows(std::initializer_list<std::array<double, 3>> rows) {
    Eigen::MatrixXd m(static_cast<Eigen::Index>(rows.size()), 3);
    Eigen::Index i = 0;
    for (const auto& row : rows) m.row(i++) << row[0], row[1], row[2];
    return m;
}

Eigen::MatrixXi faceRows(std::initializer_list<std::array<int, 3>> rows) {
    Eigen::MatrixXi m(static_cast<Eigen::Index>(rows.size()), 3);
    Eigen::Index i = 0;
    for (const auto& row : rows) m.row(i++) << row[0], row[1], row[2];
    return m;
}

testing::AssertionResult failedWithOneLine(const ReadResult& result, const std::string& path) {
    if (result.ok) return testing::AssertionFailure() << "the read succeeded";
    if (result.err.empty() || result.err.back() != '\n' ||
        result.err.find('\n') != result.err.size() - 1)
        return testing::AssertionFailure() << "not one line on stderr: \"" << result.err << "\"";
    if (result.err.find(path) == std::string::npos)
        return testing::AssertionFailure()
               << "the message does not name " << path << ": " << result.err;
    if (result.V.rows() != 0 || result.F.rows() != 0)
        return testing::AssertionFailure() << "the matrices are not left empty";
    return testing::AssertionSuccess() << result.err;
}
