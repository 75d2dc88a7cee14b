// The compact records of the TELLURAX input file. Each writer writes an empty line, `comment`
// (one blank when it is empty), and its keyword line with every field as "; " and the field
// text; a pair whose first value is below 0 is written as "NOOBS; NOOBS". Angles are packed
// DMS, lengths metres. On a write error each sets `result` to 1517 and otherwise leaves it
// alone.
#pragma once

#include <string>
#include <string_view>

#include "common/GpsVectors.h"
#include "output/OutputFile.h"

/// The comment line ahead of a record, and whether the record itself is written as a comment
/// too (its keyword line behind "!"): it keeps its place in the file, the adjustment does not
/// use it, and deleting one character restores it.
struct RecordComment {
    RecordComment(std::string_view comment, bool commentedOut = false, bool marksNotFinite = false)
        : text(comment), disabled(commentedOut || marksNotFinite), notFinite(marksNotFinite) {}
    RecordComment(const char* comment) : text(comment) {}
    RecordComment(const std::string& comment) : text(comment) {}

    std::string_view text;
    bool disabled = false;
    /// The record is commented out because a value of it is not finite: each such value is
    /// written "(not finite)". Otherwise every value is written as it stands.
    bool notFinite = false;
};

void WriteCartCompact(RecordComment comment, std::string_view station, double x, double y,
                      double z, double sdX, double sdY, double sdZ, OutputFile& out, int& result);
void WriteGeoCompact(RecordComment comment, std::string_view station, double latitude,
                     double longitude, double orthoHeight, double geoidHeight,
                     double ellipsoidHeight, double xi, double xiSd, double eta, double etaSd,
                     OutputFile& out, int& result);
void WriteHgtDiffCompact(RecordComment comment, std::string_view fromStation,
                         std::string_view toStation, double heightDiff, double heightDiffSd,
                         OutputFile& out, int& result);
void WriteAzCompact(RecordComment comment, std::string_view fromStation,
                    std::string_view toStation, double azimuth, double azimuthSd, double zenith,
                    double zenithSd, double distance, double distanceSd, double instrumentHeight,
                    double targetHeight, OutputFile& out, int& result);
void WriteHorCompact(RecordComment comment, std::string_view atStation,
                     std::string_view backsightStation, std::string_view foresightStation,
                     double angle, double angleSd, double zenith, double zenithSd,
                     double distance, double distanceSd, double instrumentHeight,
                     double targetHeight, OutputFile& out, int& result);
void WriteDirCompact(RecordComment comment, std::string_view fromStation,
                     std::string_view toStation, double direction, double directionSd,
                     double zenith, double zenithSd, double distance, double distanceSd,
                     double instrumentHeight, double targetHeight, int setNumber,
                     OutputFile& out, int& result);
void WriteBearCompact(RecordComment comment, std::string_view fromStation,
                      std::string_view toStation, double bearing, double bearingSd,
                      double distance, double distanceSd, OutputFile& out, int& result);
void WriteSurfCompact(RecordComment comment, std::string_view fromStation,
                      std::string_view toStation, double angle, double angleSd, double distance,
                      double distanceSd, OutputFile& out, int& result);
/// Writes one "$GPS_COMPACT" record per vector 0 .. count-1 (nothing when count <= 0 or a
/// pointer is null; at most kMaxVectors). Correlations above the diagonal become covariances
/// unless `offDiagonalIsCovariance`. Stops after the first vector whose line met a write error.
void WriteGpsCompact(RecordComment comment, int count, const GpsVector* vectors,
                     const double* matrix, bool offDiagonalIsCovariance, OutputFile& out,
                     int& result);
/// Writes the "$GPS_COMPACT" record of vector `k` (0-based, below kMaxVectors) alone.
void WriteGpsVector(RecordComment comment, int k, const GpsVector* vectors, const double* matrix,
                    bool offDiagonalIsCovariance, OutputFile& out, int& result);
