// A vector set of a G-file as its reader fills it and the GPS record writer reads it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

/// One GPS vector of a vector set: its two end stations and its components, metres.
struct GpsVector {
    std::string fromStation;
    std::string toStation;
    double dx = 0.0;
    double dy = 0.0;
    double dz = 0.0;
};

/// Largest vector count a G-file B record can hold (two columns), and the matrix size it needs.
constexpr int kMaxVectors = 99;
/// Doubles per row of a VectorSetMatrix: three rows and columns per vector.
constexpr int kMatrixRowLength = 3 * kMaxVectors;

/// Standard deviations (diagonal) and correlation or covariance terms (above the diagonal) of a
/// vector set, stored row by row with kMatrixRowLength doubles per row. Rows and columns are
/// 0-based here; vector k owns rows and columns 3k, 3k+1, 3k+2 (X, Y, Z).
using VectorSetMatrix = std::vector<double>;

/// The six covariance terms a vector's record writes, in metres squared: the variances and
/// the terms above the diagonal of its 3 x 3 block of `matrix`, taken as they stand or, when
/// they are correlations, multiplied by the two standard deviations (left to right as written).
struct VectorCovariance {
    double xx, xy, yy, xz, yz, zz;
};
inline VectorCovariance CovarianceOf(int k, const double* matrix, bool offDiagonalIsCovariance) {
    const std::size_t first = 3 * static_cast<std::size_t>(k);
    const double* row0 = matrix + first * kMatrixRowLength + first;  // block row X, from column X
    const double* row1 = row0 + kMatrixRowLength;                    // block row Y
    const double* row2 = row1 + kMatrixRowLength;                    // block row Z
    const double s0 = row0[0];
    const double s1 = row1[1];
    const double s2 = row2[2];
    if (offDiagonalIsCovariance) return {s0 * s0, row0[1], s1 * s1, row0[2], row1[2], s2 * s2};
    return {s0 * s0, row0[1] * s1 * s0, s1 * s1, row0[2] * s2 * s0, row1[2] * s2 * s1, s2 * s2};
}
