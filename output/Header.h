// The fixed head of the TELLURAX input file.
#pragma once

#include <string_view>

#include "output/OutputFile.h"

/// Writes the 50-line header: the record comment (one blank when empty), the datum and
/// ellipsoid (semi-major axis in metres with 4 decimals, inverse flattening with 7), units,
/// network type and the eight default standard deviations. `result`: 0, or 1517 when a write
/// failed; the groups after a failed one are not written.
void WriteHeader(std::string_view comment, std::string_view datumName, double semiMajorAxis,
                 double inverseFlattening, OutputFile& out, int& result);
