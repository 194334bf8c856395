#pragma once
// Helpers for the reader tests: files in one scratch folder per process, and
// a read that captures what the reader said on standard error.

#include <gtest/gtest.h>

#include <Eigen/Core>
#include <string>

#include "geometry/read_triangle_mesh.h"
#include "scratch_dir.h"

inline std::string scratch(const std::string& name) {
    static const ScratchDir dir("morvik-readers");
    return dir.file(name);
}
inline std::string writeScratch(const std::string& name, const std::string& contents) {
    return writeFile(scratch(name), contents);
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
