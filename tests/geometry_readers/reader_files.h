#pragma once
// Helpers for the reader tests: files written into a fresh temporary folder,
// a read that captures what the reader said on standard error, and
// little/big-endian byte builders for the binary formats.

#include <gtest/gtest.h>

#include <Eigen/Core>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

// A folder of its own under the system's temporary folder, made once per
// process.
std::string scratchDir();

// Writes contents to scratchDir()/name and returns the path.
std::string writeFile(const std::string& name, const std::string& contents);

struct ReadResult {
    bool ok = false;
    Eigen::MatrixXd V;
    Eigen::MatrixXi F;
    std::string err;  // what the reader wrote to standard error
};
ReadResult readMesh(const std::string& path);

// Appends the bytes of a value in the given byte order.
struct ByteWriter {
    bool bigEndian = false;
    std::string bytes;
    void raw(std::uint64_t bits, int size);
    void u8(unsigned value) { raw(value, 1); }
    void u16(unsigned value) { raw(value, 2); }
    void i32(std::int32_t value) { raw(static_cast<std::uint32_t>(value), 4); }
    void u32(std::uint32_t value) { raw(value, 4); }
    void f32(float value);
    void f64(double value);
};

// A binary STL with the given 80-byte header start and triangles (9 floats
// each), its count field set to `count` (by default the true count).
std::string binaryStl(const std::string& header, const std::vector<float>& corners,
                      long count = -1);

// Matrices of three columns written row by row, and an exact comparison that
// also reports differing shapes.
Eigen::MatrixXd pointRows(std::initializer_list<std::array<double, 3>> rows);
Eigen::MatrixXi faceRows(std::initializer_list<std::array<int, 3>> rows);

template <typename A, typename B>
testing::AssertionResult sameMatrix(const A& actual, const B& expected) {
    if (actual.rows() == expected.rows() && actual.cols() == expected.cols() && actual == expected)
        return testing::AssertionSuccess();
    std::ostringstream text;
    text << "got " << actual.rows() << " by " << actual.cols() << ":\n"
         << actual << "\nexpected " << expected.rows() << " by " << expected.cols() << ":\n"
         << expected;
    return testing::AssertionFailure() << text.str();
}

// A failed read reports exactly one line on standard error that names the file.
testing::AssertionResult failedWithOneLine(const ReadResult& result, const std::string& path);
