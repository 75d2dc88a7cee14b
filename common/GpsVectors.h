// A vector set of a G-file as its reader fills it and the GPS record writer reads it.
#pragma once

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
