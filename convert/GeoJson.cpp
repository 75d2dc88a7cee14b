// The GeoJSON network. Each feature is one line of the file:
//
//   {"type": "FeatureCollection", "features": [
//   {"type": "Feature", "geometry": {"type": "LineString", "coordinates": [[-112.1, 36.0], ...
//   {"type": "Feature", "geometry": {"type": "Point", "coordinates": [-112.1, 36.0]}, ...
//   ],
//   "notDrawn": {"lines": 7, "positions": 0}
//   }
//
// A feature's warnings are what was found about the records it is drawn from: a line feature's
// come with its record, a point's with the "*80*", "*85*" and "*86*" records of its station.
#include "convert/GeoJson.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "common/Angles.h"
#include "common/ResultCodes.h"
#include "convert/ConversionReport.h"
#include "convert/JsonText.h"
#include "output/NumberFormat.h"

namespace {

// Decimals by kind of value.
constexpr int kDegreesDecimals = 9;  // longitude and latitude, decimal degrees
constexpr int kAngleDecimals = 6;    // packed DMS observations
constexpr int kAngleSdDecimals = 3;  // seconds of arc
constexpr int kLengthDecimals = 5;   // distances, instrument and target heights, vectors
constexpr int kHeightDecimals = 4;   // station heights

constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();  // written null

/// Appends `, "key": ` to the properties.
void Key(std::string& text, const char* key) {
    text += ", \"";
    text += key;
    text += "\": ";
}

void AddText(std::string& text, const char* key, std::string_view value) {
    Key(text, key);
    AppendJsonString(text, value);
}

void AddNumber(std::string& text, const char* key, double value, int decimals) {
    Key(text, key);
    AppendJsonNumber(text, value, decimals);
}

void AddInt(std::string& text, const char* key, int value) {
    Key(text, key);
    AppendInt(text, value);
}

void AddHeights(std::string& text, double instrumentHeight, double targetHeight) {
    AddNumber(text, "instrumentHeight", instrumentHeight, kLengthDecimals);
    AddNumber(text, "targetHeight", targetHeight, kLengthDecimals);
}

/// "[longitude, latitude]".
void AddPosition(std::string& text, double longitude, double latitude) {
    text += '[';
    AppendFixed(text, longitude, kDegreesDecimals);
    text += ", ";
    AppendFixed(text, latitude, kDegreesDecimals);
    text += ']';
}

const char* WeightingText(Weighting weighting) {
    switch (weighting) {
        case Weighting::kStandardDeviation: return "standardDeviation";
        case Weighting::kSetups: return "setups";
        case Weighting::kDistance: return "distance";
        case Weighting::kUnknown: break;
    }
    return "unknown";
}

}  // namespace

// --- Features ---------------------------------------------------------------------------------

void GeoJsonWriter::OpenCollection() {
    if (m_started) return;
    m_out.Write("{\"type\": \"FeatureCollection\", \"features\": [\n");
    m_started = true;
}

int GeoJsonWriter::WriteFeature(std::string& text, const Findings& found) {
    text += ", \"warnings\": [";
    bool first = true;
    found.ForEachWarningText([&](std::string_view warning) {
        text += first ? "" : ", ";
        first = false;
        AppendJsonString(text, warning);
    });
    text += "]}}";
    OpenCollection();
    if (!m_firstFeature) m_out.Write(",\n");
    m_firstFeature = false;
    m_out.Write(text);
    return m_out.HasError() ? kMsgWriteError : 0;
}

const GeoJsonWriter::StationPoint* GeoJsonWriter::Placed(std::string_view name) const {
    const auto found = m_firstPoint.find(std::string(name));
    if (found == m_firstPoint.end()) return nullptr;
    const StationPoint& point = m_points[found->second];
    return point.placed ? &point : nullptr;
}

bool GeoJsonWriter::StartLine(const RecordRef& at, std::string_view from, std::string_view to) {
    const StationPoint* const a = Placed(from);
    const StationPoint* const b = Placed(to);
    if (a == nullptr || b == nullptr) {
        ++m_linesNotDrawn;
        return false;
    }
    std::string& text = m_text;
    text = "{\"type\": \"Feature\", \"geometry\": {\"type\": \"LineString\", \"coordinates\": [";
    AddPosition(text, a->longitude, a->latitude);
    text += ", ";
    AddPosition(text, b->longitude, b->latitude);
    text += "]}, \"properties\": {\"record\": ";
    AppendJsonString(text, at.type);
    AddInt(text, "line", at.line);
    AddText(text, "from", from);
    AddText(text, "to", to);
    return true;
}

// --- Stations ---------------------------------------------------------------------------------

GeoJsonWriter::StationPoint& GeoJsonWriter::AddPoint(std::string_view name, int line) {
    m_points.emplace_back();
    StationPoint& point = m_points.back();
    point.name.assign(name.data(), name.size());
    point.line = line;
    point.orthoHeight = point.geoidHeight = point.ellipsoidHeight = kNoValue;
    m_firstPoint.emplace(point.name, m_points.size() - 1);  // keeps an earlier point's entry
    return point;
}

void GeoJsonWriter::Keep(StationPoint& point, const Findings& found) {
    point.found.Add(found.Kept());
    if (found.Details() != nullptr) {
        point.details.insert(point.details.end(), found.Details()->begin(), found.Details()->end());
    }
}

int GeoJsonWriter::StationPart(const ::StationPart& part) {
    if (part.at.type == "*80*") {
        Keep(AddPoint(part.station, part.at.line), part.at.findings);
        return 0;
    }
    // "*85*" and "*86*" complete the first station of their name.
    const auto found = m_firstPoint.find(std::string(part.station));
    if (found != m_firstPoint.end()) Keep(m_points[found->second], part.at.findings);
    return 0;
}

int GeoJsonWriter::Station(const StationRecord& s) {
    // The station records come in the order of the "*80*" records that made the points.
    if (m_nextPlaced >= m_points.size() || m_points[m_nextPlaced].line != s.at.line) {
        AddPoint(s.name, s.at.line);
        m_nextPlaced = m_points.size() - 1;
    }
    StationPoint& point = m_points[m_nextPlaced++];
    point.longitude = DmsToDegrees(s.longitude);
    point.latitude = DmsToDegrees(s.latitude);
    point.placed = std::isfinite(point.longitude) && std::isfinite(point.latitude);
    point.orthoHeight = s.orthoHeight;
    point.geoidHeight = s.geoidHeight;
    point.ellipsoidHeight = s.ellipsoidHeight;
    Keep(point, s.at.findings);
    return 0;
}

void GeoJsonWriter::AppendPoint(std::string& text, const StationPoint& point) const {
    text = "{\"type\": \"Feature\", \"geometry\": ";
    if (point.placed) {
        text += "{\"type\": \"Point\", \"coordinates\": ";
        AddPosition(text, point.longitude, point.latitude);
        text += '}';
    } else {
        text += "null";
    }
    text += ", \"properties\": {\"name\": ";
    AppendJsonString(text, point.name);
    AddText(text, "record", "*80*");
    AddInt(text, "line", point.line);
    AddNumber(text, "orthometricHeight", point.orthoHeight, kHeightDecimals);
    AddNumber(text, "geoidHeight", point.geoidHeight, kHeightDecimals);
    AddNumber(text, "ellipsoidalHeight", point.ellipsoidHeight, kHeightDecimals);
}

// --- Observations -----------------------------------------------------------------------------

int GeoJsonWriter::Direction(const DirectionRecord& r) {
    if (!StartLine(r.at, r.fromStation, r.toStation)) return 0;
    std::string& text = m_text;
    AddNumber(text, "direction", r.direction, kAngleDecimals);
    AddNumber(text, "directionSd", r.directionSd, kAngleSdDecimals);
    AddHeights(text, r.instrumentHeight, r.targetHeight);
    AddInt(text, "setNumber", r.setNumber);
    return EndLine(r.at.findings);
}

/// Two lines from the occupied station: to the backsight and to the foresight.
int GeoJsonWriter::HorizontalAngle(const HorizontalAngleRecord& r) {
    for (const std::string_view to : {r.backsightStation, r.foresightStation}) {
        if (!StartLine(r.at, r.atStation, to)) continue;
        std::string& text = m_text;
        AddText(text, "backsight", r.backsightStation);
        AddText(text, "foresight", r.foresightStation);
        AddNumber(text, "angle", r.angle, kAngleDecimals);
        AddHeights(text, r.instrumentHeight, r.targetHeight);
        if (const int result = EndLine(r.at.findings); result != 0) return result;
    }
    return 0;
}

int GeoJsonWriter::VerticalAngle(const VerticalAngleRecord& r) {
    if (!StartLine(r.at, r.fromStation, r.toStation)) return 0;
    std::string& text = m_text;
    AddNumber(text, "zenith", r.zenith, kAngleDecimals);
    AddNumber(text, "zenithSd", r.zenithSd, kAngleSdDecimals);
    AddHeights(text, r.instrumentHeight, r.targetHeight);
    return EndLine(r.at.findings);
}

int GeoJsonWriter::HeightDifference(const HeightDifferenceRecord& r) {
    if (!StartLine(r.at, r.fromStation, r.toStation)) return 0;
    std::string& text = m_text;
    AddNumber(text, "heightDifference", r.heightDiff, kLengthDecimals);
    AddNumber(text, "weight", r.weight, kLengthDecimals);
    AddText(text, "weighting", WeightingText(r.weighting));
    return EndLine(r.at.findings);
}

int GeoJsonWriter::Distance(const DistanceRecord& r) {
    if (!StartLine(r.at, r.fromStation, r.toStation)) return 0;
    std::string& text = m_text;
    AddText(text, "code", std::string_view(&r.code, 1));
    AddNumber(text, "distance", r.distance, kLengthDecimals);
    AddNumber(text, "distanceSd", r.distanceSd, kLengthDecimals);
    AddHeights(text, r.instrumentHeight, r.targetHeight);
    return EndLine(r.at.findings);
}

int GeoJsonWriter::Azimuth(const AzimuthRecord& r) {
    if (!StartLine(r.at, r.fromStation, r.toStation)) return 0;
    std::string& text = m_text;
    AddNumber(text, "azimuth", r.azimuth, kAngleDecimals);
    AddNumber(text, "azimuthSd", r.azimuthSd, kAngleSdDecimals);
    if (r.withHeights) AddHeights(text, r.instrumentHeight, r.targetHeight);
    return EndLine(r.at.findings);
}

// --- G-file -----------------------------------------------------------------------------------

int GeoJsonWriter::VectorSet(const VectorSetRecord& set) {
    // A C or F record concerns its vector; the closing record and the B, D and E records every
    // vector of the set.
    const SetMember* vectorMember[kMaxVectors + 1] = {};
    Findings setFound = set.at.findings;
    for (std::size_t i = 0; i < set.memberCount; ++i) {
        const SetMember& member = set.members[i];
        if (member.vector >= 1 && member.vector <= kMaxVectors) {
            vectorMember[member.vector] = &member;
        } else {
            setFound.Add(member.findings);
        }
    }
    const int count = std::min(set.count, kMaxVectors);
    for (int k = 1; k <= count; ++k) {
        if (vectorMember[k] == nullptr) {
            ++m_linesNotDrawn;  // an empty vector of a short set
            continue;
        }
        if (const int result = WriteVector(set, k, *vectorMember[k], setFound); result != 0) {
            return result;
        }
    }
    return 0;
}

int GeoJsonWriter::WriteVector(const VectorSetRecord& set, int k, const SetMember& member,
                               const Findings& setFound) {
    const GpsVector& v = set.vectors[k - 1];
    const RecordRef at{BlueBookFile::kGFile, member.line, std::string_view(&member.type, 1)};
    if (!StartLine(at, v.fromStation, v.toStation)) return 0;
    std::string& text = m_text;
    AddInt(text, "vector", k);
    AddNumber(text, "dx", v.dx, kLengthDecimals);
    AddNumber(text, "dy", v.dy, kLengthDecimals);
    AddNumber(text, "dz", v.dz, kLengthDecimals);
    // The diagonal of the vector's block holds the standard deviations of its components.
    constexpr std::size_t kNextDiagonal = kMatrixRowLength + 1;
    const double* const diagonal = set.matrix + 3 * static_cast<std::size_t>(k - 1) * kNextDiagonal;
    AddNumber(text, "sdX", diagonal[0], kLengthDecimals);
    AddNumber(text, "sdY", diagonal[kNextDiagonal], kLengthDecimals);
    AddNumber(text, "sdZ", diagonal[2 * kNextDiagonal], kLengthDecimals);
    Findings found = setFound;
    found.Add(member.findings);
    return EndLine(found);
}

int GeoJsonWriter::Position(const PositionRecord&) {
    ++m_positionsNotDrawn;  // X, Y, Z only: no point of the map
    return 0;
}

// --- The end ---------------------------------------------------------------------------------

void GeoJsonWriter::AppendNotDrawn(std::string& text, const ConversionReport* report) const {
    text += "\"notDrawn\": {\"lines\": " + std::to_string(m_linesNotDrawn) +
            ", \"positions\": " + std::to_string(m_positionsNotDrawn);
    if (report != nullptr && report->NetworkChecked() && report->File(ReportFile::kBFile).read &&
        report->File(ReportFile::kGFile).read) {
        const FindingTally& ends = report->Found(ReportFile::kGFile, Finding::kNoPosition);
        text += ", \"endPointsNotInBFile\": {\"count\": " + std::to_string(ends.at.count) +
                ", \"names\": [";
        for (std::size_t i = 0; i < ends.names.size(); ++i) {
            if (i > 0) text += ", ";
            AppendJsonString(text, ends.names[i]);
        }
        text += ends.moreNames ? "], \"moreNames\": true}" : "], \"moreNames\": false}";
    }
    text += '}';
}

int GeoJsonWriter::Finish(const ConversionReport* report) {
    if (m_finished) return 0;
    m_finished = true;
    std::string text;
    for (const StationPoint& point : m_points) {
        std::vector<FindingDetail> details = point.details;
        const std::vector<FindingDetail>* concluded =
            report != nullptr ? report->ConcludedAbout(point.name) : nullptr;
        if (concluded != nullptr) details.insert(details.end(), concluded->begin(), concluded->end());
        Findings found = point.found;
        found.Add(&details);
        AppendPoint(text, point);
        if (const int result = WriteFeature(text, found); result != 0) return result;
    }
    OpenCollection();
    text = m_firstFeature ? "],\n" : "\n],\n";
    AppendNotDrawn(text, report);
    text += "\n}\n";
    m_out.Write(text);
    return m_out.HasError() ? kMsgWriteError : 0;
}
