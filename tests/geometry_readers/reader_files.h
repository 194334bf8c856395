#pragma once
// Helpers for the reader tests: files in a scratch folder of this process, a
// read that captures what the reader said on standard error, and a byte
// builder for the binary formats.

#include <gtest/gtest.h>

#include <Eigen/Core>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "geometry/read_triangle_mesh.h"
#include "scratch_dir.h"

// One scratch folder for the whole process.
inline std::string scratchDir() {
    static const ScratchDir dir("morvik-readers");
    return dir.path;
}

inline std::string writeScratch(const std::string& name, const std::string& contents) {
    return writeFile(scratchDir() + "/" + name, contents);
}

struct ReadResult {
    bool ok = false;
    Eigen::MatrixXd V;
    Eigen::MatrixXi F;
    std::string err;  // what the reader wrote to standard error
};

inline ReadResult readMesh(const std::string& path) {
    ReadResult r;
    testing::internal::CaptureStderr();
    r.ok = geometry::read_triangle_mesh(path, r.V, r.F);
    r.err = testing::internal::GetCapturedStderr();
    return r;
}

// Appends values in the chosen byte order (the machine's own is little-endian).
struct ByteWriter {
    bool bigEndian;
    std::string bytes;
    explicit ByteWriter(bool big = false) : bigEndian(big) {}
    template <typename T>
    void put(T value) {
        char raw[sizeof(T)];
        std::memcpy(raw, &value, sizeof(T));
        if (bigEndian) std::reverse(raw, raw + sizeof(T));
        bytes.append(raw, sizeof(T));
    }
};

// A binary STL: the header padded to 80 bytes, the count (by default the
// true one), then per triangle a zero normal, its nine corners and 2 bytes.
inline std::string binaryStl(std::string header, const std::vector<float>& corners,
                             std::uint32_t count = ~0u) {
    ByteWriter out;
    header.resize(80, ' ');
    out.bytes = header;
    out.put<std::uint32_t>(count == ~0u ? corners.size() / 9 : count);
    for (std::size_t t = 0; t < corners.size(); t += 9) {
        for (int k = 0; k < 12; ++k) out.put(k < 3 ? 0.0f : corners[t + k - 3]);
        out.put<std::uint16_t>(0);
    }
    return out.bytes;
}

// Three-column matrices written row by row.
template <typename Scalar>
Eigen::Matrix<Scalar, -1, -1> rows3(std::initializer_list<Scalar> values) {
    return Eigen::Map<const Eigen::Matrix<Scalar, -1, 3, Eigen::RowMajor>>(values.begin(),
                                                                           values.size() / 3, 3);
}

template <typename A, typename B>
testing::AssertionResult same(const A& got, const B& want) {
    if (got.rows() == want.rows() && got.cols() == want.cols() && got == want)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "got\n" << got << "\nexpected\n" << want;
}

// A failed read leaves empty matrices and reports one line on standard error
// that names the file.
inline testing::AssertionResult failedWithOneLine(const ReadResult& r, const std::string& path) {
    if (r.ok) return testing::AssertionFailure() << "the read succeeded";
    if (r.err.empty() || r.err.find('\n') != r.err.size() - 1)
        return testing::AssertionFailure() << "not one line on stderr: \"" << r.err << "\"";
    if (r.err.find(path) == std::string::npos)
        return testing::AssertionFailure() << "the message does not name " << path << ": " << r.err;
    if (r.V.rows() != 0 || r.F.rows() != 0)
        return testing::AssertionFailure() << "the matrices are not left empty";
    return testing::AssertionSuccess();
}
