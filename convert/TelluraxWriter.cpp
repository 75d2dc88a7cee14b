#include "convert/TelluraxWriter.h"

#include <algorithm>
#include <string>

#include "common/ResultCodes.h"
#include "convert/BlueBookConverter.h"
#include "output/CompactRecords.h"

namespace {

/// The comment of a "*45*" record by the weight it was given.
const char* HeightDifferenceComment(Weighting weighting) {
    switch (weighting) {
        case Weighting::kStandardDeviation: return "!B-File Record Type 45 (Stand Dev Weighted)";
        case Weighting::kSetups: return "!B-File Record Type 45 (Num Setups Weighted)";
        case Weighting::kDistance: return "!B-File Record Type 45 (Distance Weighted)";
        case Weighting::kUnknown: break;
    }
    return "!B-File Record Type 45 (Unknown Weighted)";
}

/// "!B-File Record Type 50(S)": the record type and its code letter (the letters the distance
/// records convert: S, H, T, E, X).
std::string_view DistanceComment(int type, char code) {
    static const std::string kComments = [] {
        std::string all;
        for (int t = 50; t <= 54; ++t) {
            for (const char c : {'S', 'H', 'T', 'E', 'X'}) {
                all += "!B-File Record Type " + std::to_string(t) + '(' + c + ')';
            }
        }
        return all;
    }();
    constexpr std::size_t kLength = 25;  // "!B-File Record Type 50(S)"
    const std::string_view codes = "SHTEX";
    const std::size_t letter = codes.find(code);
    if (type < 50 || type > 54 || letter == std::string_view::npos) return {};
    const std::size_t at = (static_cast<std::size_t>(type - 50) * codes.size() + letter) * kLength;
    return std::string_view(kComments).substr(at, kLength);
}

}  // namespace

RecordComment TelluraxWriter::Comment(std::string_view text, const RejectMark& reject,
                                      bool notFinite) {
    std::string& comment = m_converter.m_recordComment;
    comment.assign(text);
    if (reject.mark == 0 && !notFinite) return comment;
    if (reject.mark != 0) {
        // "!B-File Record Type 52(E) (rejected: R in column 6)", and the record behind "!".
        comment += " (rejected: ";
        comment += reject.mark;
        comment += " in column ";
        comment += std::to_string(reject.column);
        comment += ')';
    }
    if (notFinite) comment += " (not finite: not written)";
    return RecordComment(comment, reject.mark != 0, notFinite);
}

int TelluraxWriter::Datum(const DatumRecord& datum) {
    BlueBookConverter& c = m_converter;
    if (datum.found) {
        c.m_datumName.assign(datum.name);
        c.m_semiMajorAxis = datum.semiMajorAxis;
        if (datum.hasEllipsoid) {
            c.m_inverseFlattening = datum.inverseFlattening;
            c.m_recordComment = "!B-File Record Type 13";
        }
    }
    int result = 0;
    c.WriteHeader(m_out, result);
    return result;
}

int TelluraxWriter::Station(const StationRecord& s) {
    int result = 0;
    WriteGeoCompact(Comment("!B-File Record Type 80, 85, 86", s.at), s.name, s.latitude, s.longitude,
                    s.orthoHeight, s.geoidHeight, s.ellipsoidHeight, s.xi, s.xiSd, s.eta,
                    s.etaSd, m_out, result);
    return result;
}

int TelluraxWriter::Direction(const DirectionRecord& r) {
    int result = 0;
    const char* comment = r.at.type == "*20*" ? "!B-File Record Type 20" : "!B-File Record Type 22";
    WriteDirCompact(Comment(comment, r.at), r.fromStation, r.toStation, r.direction, r.directionSd,
                    kAbsent, kAbsent, kAbsent, kAbsent, r.instrumentHeight, r.targetHeight,
                    r.setNumber, m_out, result);
    return result;
}

int TelluraxWriter::HorizontalAngle(const HorizontalAngleRecord& r) {
    int result = 0;
    const char* comment = r.at.type == "*30*" ? "!B-File Record Type 30" : "!B-File Record Type 32";
    WriteHorCompact(Comment(comment, r.at), r.atStation, r.backsightStation, r.foresightStation,
                    r.angle, 0.0, kAbsent, kAbsent, kAbsent, kAbsent, r.instrumentHeight,
                    r.targetHeight, m_out, result);
    return result;
}

int TelluraxWriter::VerticalAngle(const VerticalAngleRecord& r) {
    int result = 0;
    const char* comment = r.at.type == "*40*" ? "!B-File Record Type 40" : "!B-File Record Type 42";
    WriteAzCompact(Comment(comment, r.at), r.fromStation, r.toStation, kAbsent, kAbsent, r.zenith,
                   r.zenithSd, kAbsent, kAbsent, r.instrumentHeight, r.targetHeight, m_out,
                   result);
    return result;
}

int TelluraxWriter::HeightDifference(const HeightDifferenceRecord& r) {
    int result = 0;
    WriteHgtDiffCompact(Comment(HeightDifferenceComment(r.weighting), r.at), r.fromStation,
                        r.toStation, r.heightDiff, r.weight, m_out, result);
    return result;
}

/// "*50*" S, "*51*" S, "*53*" S, and "X" of "*52*", "*54*" (without heights): "$AZ_COMPACT";
/// "*50*" H and T: "$BEAR_COMPACT"; "*52*" E, "*54*" E: "$SURF_COMPACT".
int TelluraxWriter::Distance(const DistanceRecord& r) {
    int result = 0;
    const RecordComment comment = Comment(DistanceComment(r.recordType, r.code), r.at);
    if (r.code == 'H' || r.code == 'T') {
        WriteBearCompact(comment, r.fromStation, r.toStation, kAbsent, kAbsent, r.distance,
                         r.distanceSd, m_out, result);
    } else if (r.code == 'E') {
        WriteSurfCompact(comment, r.fromStation, r.toStation, kAbsent, kAbsent, r.distance,
                         r.distanceSd, m_out, result);
    } else {
        WriteAzCompact(comment, r.fromStation, r.toStation, kAbsent, kAbsent, kAbsent, kAbsent,
                       r.distance, r.distanceSd, r.instrumentHeight, r.targetHeight, m_out,
                       result);
    }
    return result;
}

int TelluraxWriter::Azimuth(const AzimuthRecord& r) {
    int result = 0;
    if (r.withHeights) {
        WriteAzCompact(Comment("!B-File Record Type 60", r.at), r.fromStation, r.toStation, r.azimuth,
                       r.azimuthSd, kAbsent, kAbsent, kAbsent, kAbsent, r.instrumentHeight,
                       r.targetHeight, m_out, result);
    } else {
        WriteSurfCompact(Comment("!B-File Record Type 61", r.at), r.fromStation, r.toStation,
                         r.azimuth, 0.0, kAbsent, kAbsent, m_out, result);
    }
    return result;
}

/// A set's vectors share one comment; a rejected vector, or one with a value that is not
/// finite, gets its own, and is commented out.
int TelluraxWriter::VectorSet(const VectorSetRecord& set) {
    int result = 0;
    const char* comment =
        set.covariance ? "!G-File Record Type B, C, E" : "!G-File Record Type B, C, D";
    const int count = std::min(set.count, kMaxVectors);
    const bool anyMarked =
        std::any_of(set.marks, set.marks + std::max(count, 0),
                    [](const VectorMark& m) { return m.reject.mark != 0 || m.notFinite; });
    if (!anyMarked) {
        WriteGpsCompact(Comment(comment, {}, false), set.count, set.vectors, set.matrix, set.covariance,
                        m_out, result);
        return result;
    }
    for (int k = 0; k < count && !m_out.HasError(); ++k) {
        WriteGpsVector(Comment(comment, set.marks[k].reject, set.marks[k].notFinite), k,
                       set.vectors, set.matrix,
                       set.covariance, m_out, result);
    }
    return result;
}

int TelluraxWriter::Position(const PositionRecord& r) {
    int result = 0;
    WriteCartCompact(Comment("!G-File Record Type G", r.at), r.station, r.x, r.y, r.z, r.sdX, r.sdY,
                     r.sdZ, m_out, result);
    return result;
}
