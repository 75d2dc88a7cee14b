// What the Blue Book readers hand on: one small typed value per thing read, each with the place
// it was read from. Texts are views that stay valid only during the call that hands them on.
// Angles are packed degrees-minutes-seconds (DD.MMSSsss), their standard deviations seconds of
// arc; lengths and heights metres. A value a record does not carry is kAbsent.
#pragma once

#include <cmath>
#include <cstddef>
#include <initializer_list>
#include <string_view>

#include "bluebook/Findings.h"
#include "common/GpsVectors.h"

/// An observation value (and its standard deviation) that the record does not carry.
constexpr double kAbsent = -1.0;

enum class BlueBookFile { kSerfil, kBFile, kGFile };

/// How the readers read: as NGS's own programs read Blue Book files (blank low digits are
/// zeros, rejected records are not used, unsequenced lines keep their columns, "*25*" records
/// name stations), or literally, as earlier releases of this converter did.
enum class Reading { kNgs, kClassic };

/// A rejection mark a record carries and the reading honours: "R", "O" or "F" in `column`.
/// `mark` 0: the record is not rejected.
struct RejectMark {
    char mark = 0;
    int column = 0;
};

/// Where a record was read: its file, its physical line number, its record type as the file
/// writes it ("*20*" for the B-file, the first character for the G-file), its rejection, and
/// what was found about it (Finding::kNotFinite: not to be written, as a value it would write is
/// not finite).
struct RecordRef {
    BlueBookFile file = BlueBookFile::kBFile;
    int line = 0;
    std::string_view type;
    RejectMark reject{};
    Findings findings{};
};

/// Why a significant line was not converted.
enum class SkipReason {
    kUnsupportedType,     // a record type this converter does not convert
    kCodeSelectsNothing,  // "*50*" to "*54*": the code letter selects no kind of distance
    kOtherSet,            // "*22*", "*32*", "*42*" whose set number is not the open set's
    kNoEarlierStation,    // "*85*", "*86*" whose station has no earlier "*80*"
    kLaterDatum,          // a "*13*" after the first one
    kTypeAtColumn1,       // columns 1 to 6 blank: the marker is not in columns 7 to 10
    kBeforeFirstB,        // G-file C, D, E, F records before any B record
    kSetNeverClosed,      // no D or E line ends with the set's last term after the record
    kBeyondVectorCount,   // a C or F record beyond the vector count of its B record
    kTooManyVectors,      // a C or F record beyond the largest vector set (kMaxVectors)
    kBlankStationId,      // "*25*" without a serial number or a station ID
    kCount
};

// --- SERFIL -----------------------------------------------------------------------------------

/// One SERFIL line: a station name (columns 1 to 4) for a serial number.
struct SerfilEntry {
    RecordRef at;
    std::string_view name;
    std::string_view number;
};

// --- B-file: datum and stations ---------------------------------------------------------------

/// A "*25*" record: the station ID (columns 21 to 24) of a serial number (columns 11 to 14).
struct StationIdRecord {
    RecordRef at;
    std::string_view serialNumber;
    std::string_view stationId;
};

/// The datum pass's outcome: the first "*13*" record, or none (`found` false; the rest unset).
struct DatumRecord {
    RecordRef at;
    bool found = false;
    std::string_view name;            // columns 11 to 25, or its SERFIL name
    double semiMajorAxis = 0.0;       // metres
    bool hasEllipsoid = false;        // the semi-major axis is above 1 mm: the ellipsoid counts
    double inverseFlattening = 0.0;   // given, or derived from the semi-minor axis (0 for a sphere)
};

/// A "*80*", "*85*" or "*86*" record that made or completed a station of the table.
struct StationPart {
    RecordRef at;
    std::string_view station;
};

/// One station of the table, once every "*80*", "*85*" and "*86*" record has been read.
struct StationRecord {
    RecordRef at;  // its "*80*" record
    std::string_view name;
    double latitude = 0.0, longitude = 0.0;  // packed DMS, south and west negative
    double orthoHeight = 0.0, geoidHeight = 0.0, ellipsoidHeight = 0.0;
    double xi = 0.0, xiSd = 0.0, eta = 0.0, etaSd = 0.0;  // deflection of the vertical, seconds
};

// --- B-file: observations ---------------------------------------------------------------------

/// "*20*" (opens a direction set) and "*22*" (continues it).
struct DirectionRecord {
    RecordRef at;
    std::string_view fromStation, toStation;
    double direction = 0.0, directionSd = 0.0;
    double instrumentHeight = 0.0, targetHeight = 0.0;
    int setNumber = 0;
};

/// "*30*" (opens an angle set) and "*32*". The target height is the backsight's.
struct HorizontalAngleRecord {
    RecordRef at;
    std::string_view atStation, backsightStation, foresightStation;
    double angle = 0.0;
    double instrumentHeight = 0.0, targetHeight = 0.0;
};

/// "*40*" (opens a vertical-angle set) and "*42*": the zenith angle after the code letter
/// turned an elevation or depression angle into one.
struct VerticalAngleRecord {
    RecordRef at;
    std::string_view fromStation, toStation;
    double zenith = 0.0, zenithSd = 0.0;
    double instrumentHeight = 0.0, targetHeight = 0.0;
};

/// How a "*45*" height difference is weighted: by the first of these the record gives.
enum class Weighting { kStandardDeviation, kSetups, kDistance, kUnknown };

/// "*45*": a levelled height difference and its weight.
struct HeightDifferenceRecord {
    RecordRef at;
    std::string_view fromStation, toStation;
    double heightDiff = 0.0, weight = 0.0;
    Weighting weighting = Weighting::kStandardDeviation;
};

/// "*50*" to "*54*" whose code letter selects a kind of distance (`code`: the letter as the
/// converter takes it, upper case except for "*50*"). Heights 0.0 where the record has none.
struct DistanceRecord {
    RecordRef at;
    int recordType = 0;  // 50 to 54
    char code = ' ';     // "*50*": S, H or T; "*51*", "*53*": S; "*52*", "*54*": E or X
    std::string_view fromStation, toStation;
    double distance = 0.0, distanceSd = 0.0;
    double instrumentHeight = 0.0, targetHeight = 0.0;
};

/// "*60*" (with heights and a standard deviation) and "*61*" azimuths, reversed by 180 degrees
/// for code S.
struct AzimuthRecord {
    RecordRef at;
    bool withHeights = false;  // "*60*"
    std::string_view fromStation, toStation;
    double azimuth = 0.0, azimuthSd = 0.0;  // "*61*": standard deviation 0.0
    double instrumentHeight = 0.0, targetHeight = 0.0;
};

// --- G-file -----------------------------------------------------------------------------------

/// A record read into a vector set: its B record, a C or F record (the vector it filled), or a
/// D or E record, with what was found about it.
struct SetMember {
    int line = 0;
    char type = 0;
    int vector = 0;  // 1-based for C and F; 0 for B, D and E
    Findings findings{};
};

/// How a vector of a set is written: its rejection, and whether a value it would write is not
/// finite (NGS reading). Either makes it a comment.
struct VectorMark {
    RejectMark reject{};
    bool notFinite = false;
};

/// A vector set, complete: a D or E record ended with its closing term.
struct VectorSetRecord {
    RecordRef at;   // the D or E record that closed it
    int count = 0;  // vectors written: 1 .. count of `vectors`
    const GpsVector* vectors = nullptr;
    const VectorMark* marks = nullptr;  // of vectors 1 .. count
    const double* matrix = nullptr;     // VectorSetMatrix layout
    bool covariance = false;  // the terms off the diagonal are covariances, not correlations
    /// The records read into the set since it was last written (the closing one not
    /// included), in the order: B, the vectors 1 .. count, then D and E in line order.
    const SetMember* members = nullptr;
    std::size_t memberCount = 0;
};

/// True when every value is finite (neither infinite nor NaN).
inline bool AllFinite(std::initializer_list<double> values) {
    for (const double v : values) {
        if (!std::isfinite(v)) return false;
    }
    return true;
}

/// A G record: a station position, X, Y, Z and their standard deviations, metres.
struct PositionRecord {
    RecordRef at;
    std::string_view station;
    double x = 0.0, y = 0.0, z = 0.0, sdX = 0.0, sdY = 0.0, sdZ = 0.0;
};
