// The B-file record types the converter reads, in one table: the marker in columns 7 to 10,
// the pass that reads it, what reads it, and whether a rejection mark in column 6 rejects it.
// Every other type is skipped as one the converter does not convert.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "bluebook/Records.h"

/// What reads a record type.
enum class BFileRecord {
    kDatum,             // "*13*": the first one gives the datum and ellipsoid
    kStationId,         // "*25*": names a serial number's stations (NGS reading)
    kControlPoint,      // "*80*": makes a station
    kDeflection,        // "*85*": completes the station of an earlier "*80*"
    kHeights,           // "*86*": likewise
    kDirection,         // "*20*" opens a set, "*22*" continues it
    kHorizontalAngle,   // "*30*", "*32*"
    kVerticalAngle,     // "*40*", "*42*"
    kHeightDifference,  // "*45*"
    kDistance,          // "*50*" to "*54*"
    kAzimuth,           // "*60*" with heights and a standard deviation, "*61*"
};

/// Which pass reads a record type: the first (datum, station IDs, station records), the
/// observation pass, or both ("*25*": its IDs name stations before any station record is made,
/// and it is handed on in file order with the observations).
enum class BFilePassOf : std::uint8_t { kFirst = 1, kObservation = 2, kBoth = 3 };

struct BFileType {
    std::string_view marker;
    int number;  // the digits of the marker: 20 for "*20*"
    BFilePassOf pass;
    BFileRecord record;
    bool opensSet;    // "*20*", "*30*", "*40*": opens the set the continuation records join
    bool rejectable;  // "R", "O" or "F" in column 6 rejects it (NGS reading)
    bool ngsOnly;     // read in the NGS reading only
};

inline constexpr BFileType kBFileTypes[] = {
    {"*13*", 13, BFilePassOf::kFirst, BFileRecord::kDatum, false, false, false},
    {"*25*", 25, BFilePassOf::kBoth, BFileRecord::kStationId, false, false, true},
    {"*80*", 80, BFilePassOf::kFirst, BFileRecord::kControlPoint, false, false, false},
    {"*85*", 85, BFilePassOf::kFirst, BFileRecord::kDeflection, false, false, false},
    {"*86*", 86, BFilePassOf::kFirst, BFileRecord::kHeights, false, false, false},
    {"*20*", 20, BFilePassOf::kObservation, BFileRecord::kDirection, true, true, false},
    {"*22*", 22, BFilePassOf::kObservation, BFileRecord::kDirection, false, true, false},
    {"*30*", 30, BFilePassOf::kObservation, BFileRecord::kHorizontalAngle, true, true, false},
    {"*32*", 32, BFilePassOf::kObservation, BFileRecord::kHorizontalAngle, false, true, false},
    {"*40*", 40, BFilePassOf::kObservation, BFileRecord::kVerticalAngle, true, true, false},
    {"*42*", 42, BFilePassOf::kObservation, BFileRecord::kVerticalAngle, false, true, false},
    {"*45*", 45, BFilePassOf::kObservation, BFileRecord::kHeightDifference, false, true, false},
    {"*50*", 50, BFilePassOf::kObservation, BFileRecord::kDistance, false, true, false},
    {"*51*", 51, BFilePassOf::kObservation, BFileRecord::kDistance, false, true, false},
    {"*52*", 52, BFilePassOf::kObservation, BFileRecord::kDistance, false, true, false},
    {"*53*", 53, BFilePassOf::kObservation, BFileRecord::kDistance, false, true, false},
    {"*54*", 54, BFilePassOf::kObservation, BFileRecord::kDistance, false, true, false},
    {"*60*", 60, BFilePassOf::kObservation, BFileRecord::kAzimuth, false, true, false},
    {"*61*", 61, BFilePassOf::kObservation, BFileRecord::kAzimuth, false, true, false},
};

namespace bfile_types_detail {
/// The row of each marker "*00*" to "*99*" in kBFileTypes, -1 for none.
constexpr std::array<std::int8_t, 100> RowsByNumber() {
    std::array<std::int8_t, 100> rows{};
    for (auto& row : rows) row = -1;
    for (std::size_t i = 0; i < sizeof kBFileTypes / sizeof kBFileTypes[0]; ++i) {
        rows[static_cast<std::size_t>(kBFileTypes[i].number)] = static_cast<std::int8_t>(i);
    }
    return rows;
}
inline constexpr std::array<std::int8_t, 100> kRowsByNumber = RowsByNumber();

constexpr bool MarkersMatchNumbers() {
    for (const BFileType& t : kBFileTypes) {
        if (t.marker.size() != 4 || t.marker[1] - '0' != t.number / 10 ||
            t.marker[2] - '0' != t.number % 10) {
            return false;
        }
    }
    return true;
}
static_assert(MarkersMatchNumbers(), "each marker's digits are its number");
}  // namespace bfile_types_detail

/// The type the reader reads for the record type `marker` ("*20*") in `reading`, or null.
inline const BFileType* FindBFileType(std::string_view marker, Reading reading) {
    if (marker.size() != 4 || marker[0] != '*' || marker[3] != '*') return nullptr;
    const unsigned tens = static_cast<unsigned char>(marker[1]) - '0';
    const unsigned units = static_cast<unsigned char>(marker[2]) - '0';
    if (tens > 9 || units > 9) return nullptr;
    const int row = bfile_types_detail::kRowsByNumber[tens * 10 + units];
    if (row < 0) return nullptr;
    const BFileType& type = kBFileTypes[row];
    return type.ngsOnly && reading != Reading::kNgs ? nullptr : &type;
}

/// True when `type` is read in `pass` (kFirst or kObservation).
inline bool ReadIn(const BFileType& type, BFilePassOf pass) {
    return (static_cast<unsigned>(type.pass) & static_cast<unsigned>(pass)) != 0;
}
