// The KML network. The file:
//
//   <?xml version="1.0" encoding="UTF-8"?>
//   <kml xmlns="http://www.opengis.net/kml/2.2"><Document>
//   <Style id="station">...  <Style id="line">...  <Style id="rejected">...
//   <Folder><name>Observations and vectors</name>
//   <Placemark><name>B490 - ABYS</name><description>...</description>
//   <styleUrl>#line</styleUrl><LineString><altitudeMode>clampToGround</altitudeMode>
//   <coordinates>-112.022723181,35.263317531 -111.9,36.1</coordinates></LineString></Placemark>
//   ...
//   </Folder><Folder><name>Stations</name>
//   <Placemark>...<Point>...</Point></Placemark>
//   </Folder></Document></kml>
#include "convert/Kml.h"

#include <cmath>

#include "common/Angles.h"
#include "common/ResultCodes.h"
#include "common/Utf.h"
#include "convert/ConversionReport.h"
#include "output/NumberFormat.h"

namespace {

constexpr int kDegreesDecimals = 9;  // longitude and latitude, decimal degrees
constexpr int kAngleDecimals = 6;    // packed DMS observations
constexpr int kLengthDecimals = 5;   // distances, vectors
constexpr int kHeightDecimals = 4;   // station heights

/// Appends `text` as XML character data: markup characters escaped, and every character XML
/// does not allow (control characters, surrogates, U+FFFE, U+FFFF) as U+FFFD.
void AppendXml(std::string& out, std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        char32_t code = 0;
        const std::size_t length = DecodeUtf8(text, i, code);
        if (length == 0) code = static_cast<unsigned char>(text[i]);  // taken as Latin-1
        i += length == 0 ? 1 : length;
        switch (code) {
            case '&': out += "&amp;"; continue;
            case '<': out += "&lt;"; continue;
            case '>': out += "&gt;"; continue;
            case '"': out += "&quot;"; continue;
            default: break;
        }
        const bool allowed = code == '\t' || code == '\n' || code == '\r' ||
                             (code >= 0x20 && code < 0xd800) ||
                             (code >= 0xe000 && code < 0xfffe) || code >= 0x10000;
        AppendUtf8(out, allowed ? code : 0xfffd);
    }
}

void AppendNumber(std::string& out, double value, int decimals) {
    if (std::isfinite(value)) {
        AppendFixed(out, value, decimals);
    } else {
        out += "not finite";
    }
}

/// One line of a description: "label: value".
void Describe(std::string& out, const char* label, std::string_view value) {
    out += label;
    out += ": ";
    out += value;
    out += '\n';
}
void Describe(std::string& out, const char* label, double value, int decimals) {
    std::string number;
    AppendNumber(number, value, decimals);
    Describe(out, label, number);
}
/// The description of an observation of one value.
std::string Described(const char* label, double value, int decimals) {
    std::string out;
    Describe(out, label, value, decimals);
    return out;
}

/// The sentences of the warnings (and rejections) `found` holds, in the order of the table.
std::vector<std::string> WarningsOf(const Findings& found) {
    std::vector<std::string> texts;
    found.ForEachWarningText([&](std::string_view text) { texts.emplace_back(text); });
    return texts;
}

void AppendWarnings(std::string& description, const std::vector<std::string>& warnings) {
    for (const std::string& w : warnings) Describe(description, "warning", w);
}

void AppendCoordinates(std::string& out, double longitude, double latitude) {
    AppendFixed(out, longitude, kDegreesDecimals);
    out += ',';
    AppendFixed(out, latitude, kDegreesDecimals);
}

const char kHead[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<kml xmlns=\"http://www.opengis.net/kml/2.2\">\n"
    "<Document>\n"
    "<name>Survey network</name>\n"
    "<Style id=\"station\"><IconStyle><scale>0.8</scale></IconStyle></Style>\n"
    "<Style id=\"line\"><LineStyle><color>ff00d7ff</color><width>2</width></LineStyle></Style>\n"
    "<Style id=\"rejected\"><LineStyle><color>ff0000ff</color><width>1</width></LineStyle>"
    "</Style>\n"
    "<Folder>\n<name>Observations and vectors</name>\n";

}  // namespace

void KmlWriter::Open() {
    if (m_opened) return;
    m_opened = true;
    m_out.Write(kHead);
}

// --- Stations ---------------------------------------------------------------------------------

KmlWriter::StationPoint* KmlWriter::FirstOf(std::string_view name) {
    const auto found = m_firstPoint.find(std::string(name));
    return found == m_firstPoint.end() ? nullptr : &m_points[found->second];
}

const KmlWriter::StationPoint* KmlWriter::Placed(std::string_view name) const {
    const auto found = m_firstPoint.find(std::string(name));
    if (found == m_firstPoint.end()) return nullptr;
    const StationPoint& point = m_points[found->second];
    return point.placed ? &point : nullptr;
}

int KmlWriter::StationPart(const ::StationPart& part) {
    StationPoint* point = nullptr;
    if (part.at.type == "*80*") {
        m_points.emplace_back();
        point = &m_points.back();
        point->name.assign(part.station);
        point->line = part.at.line;
        m_firstPoint.emplace(point->name, m_points.size() - 1);  // keeps an earlier entry
    } else {
        point = FirstOf(part.station);  // "*85*" and "*86*" complete the first of the name
    }
    if (point == nullptr) return 0;
    for (std::string& w : WarningsOf(part.at.findings)) point->warnings.push_back(std::move(w));
    return 0;
}

int KmlWriter::Station(const StationRecord& s) {
    // The station records come in the order of the "*80*" records that made the points.
    if (m_nextPlaced >= m_points.size() || m_points[m_nextPlaced].line != s.at.line) {
        return 0;
    }
    StationPoint& point = m_points[m_nextPlaced++];
    point.longitude = DmsToDegrees(s.longitude);
    point.latitude = DmsToDegrees(s.latitude);
    point.placed = std::isfinite(point.longitude) && std::isfinite(point.latitude);
    point.orthoHeight = s.orthoHeight;
    point.geoidHeight = s.geoidHeight;
    point.ellipsoidHeight = s.ellipsoidHeight;
    for (std::string& w : WarningsOf(s.at.findings)) point.warnings.push_back(std::move(w));
    return 0;
}

// --- Lines ------------------------------------------------------------------------------------

int KmlWriter::Line(const RecordRef& at, std::string_view from, std::string_view to,
                    const std::string& details, const Findings& found) {
    const StationPoint* a = Placed(from);
    const StationPoint* b = Placed(to);
    if (a == nullptr || b == nullptr) return 0;
    Open();
    std::string description = std::string("record: ") + std::string(at.type) + " line " +
                              std::to_string(at.line) + '\n' + details;
    AppendWarnings(description, WarningsOf(found));
    std::string& text = m_text;
    text = "<Placemark><name>";
    AppendXml(text, std::string(from) + " - " + std::string(to));
    text += "</name><description>";
    AppendXml(text, description);
    text += at.reject.mark != 0 ? "</description><styleUrl>#rejected</styleUrl>"
                                : "</description><styleUrl>#line</styleUrl>";
    text += "<LineString><altitudeMode>clampToGround</altitudeMode><coordinates>";
    AppendCoordinates(text, a->longitude, a->latitude);
    text += ' ';
    AppendCoordinates(text, b->longitude, b->latitude);
    text += "</coordinates></LineString></Placemark>\n";
    m_out.Write(text);
    return m_out.HasError() ? kMsgWriteError : 0;
}

int KmlWriter::Direction(const DirectionRecord& r) {
    return Line(r.at, r.fromStation, r.toStation,
                Described("direction", r.direction, kAngleDecimals), r.at.findings);
}

int KmlWriter::HorizontalAngle(const HorizontalAngleRecord& r) {
    std::string d = "backsight: " + std::string(r.backsightStation) + "\nforesight: " +
                    std::string(r.foresightStation) + '\n';
    Describe(d, "angle", r.angle, kAngleDecimals);
    for (const std::string_view to : {r.backsightStation, r.foresightStation}) {
        if (const int result = Line(r.at, r.atStation, to, d, r.at.findings)) return result;
    }
    return 0;
}

int KmlWriter::VerticalAngle(const VerticalAngleRecord& r) {
    return Line(r.at, r.fromStation, r.toStation,
                Described("zenith", r.zenith, kAngleDecimals), r.at.findings);
}

int KmlWriter::HeightDifference(const HeightDifferenceRecord& r) {
    return Line(r.at, r.fromStation, r.toStation,
                Described("height difference", r.heightDiff, kLengthDecimals), r.at.findings);
}

int KmlWriter::Distance(const DistanceRecord& r) {
    return Line(r.at, r.fromStation, r.toStation,
                Described("distance", r.distance, kLengthDecimals), r.at.findings);
}

int KmlWriter::Azimuth(const AzimuthRecord& r) {
    return Line(r.at, r.fromStation, r.toStation,
                Described("azimuth", r.azimuth, kAngleDecimals), r.at.findings);
}

/// A C or F record concerns its vector; the closing record and the B, D and E records every
/// vector of the set.
int KmlWriter::VectorSet(const VectorSetRecord& set) {
    Findings setFound = set.at.findings;
    for (std::size_t i = 0; i < set.memberCount; ++i) {
        if (set.members[i].vector == 0) setFound.Add(set.members[i].findings);
    }
    for (std::size_t i = 0; i < set.memberCount; ++i) {
        const SetMember& member = set.members[i];
        const int k = member.vector;
        if (k < 1 || k > std::min(set.count, kMaxVectors)) continue;
        const GpsVector& v = set.vectors[k - 1];
        RecordRef at{BlueBookFile::kGFile, member.line, std::string_view(&member.type, 1)};
        at.reject = set.marks[k - 1].reject;
        std::string d;
        Describe(d, "dx", v.dx, kLengthDecimals);
        Describe(d, "dy", v.dy, kLengthDecimals);
        Describe(d, "dz", v.dz, kLengthDecimals);
        Findings found = setFound;
        found.Add(member.findings);
        if (const int result = Line(at, v.fromStation, v.toStation, d, found)) return result;
    }
    return 0;
}

// --- The end ----------------------------------------------------------------------------------

int KmlWriter::Finish(const ConversionReport* report) {
    if (m_finished) return 0;
    m_finished = true;
    Open();
    m_out.Write("</Folder>\n<Folder>\n<name>Stations</name>\n");
    for (StationPoint& point : m_points) {
        if (!point.placed) continue;
        const std::vector<FindingDetail>* concluded =
            report != nullptr ? report->ConcludedAbout(point.name) : nullptr;
        for (const FindingDetail& d : concluded ? *concluded : std::vector<FindingDetail>()) {
            point.warnings.push_back(d.text);
        }
        std::string description = "record: *80* line " + std::to_string(point.line) + '\n';
        Describe(description, "orthometric height", point.orthoHeight, kHeightDecimals);
        Describe(description, "geoid height", point.geoidHeight, kHeightDecimals);
        Describe(description, "ellipsoidal height", point.ellipsoidHeight, kHeightDecimals);
        AppendWarnings(description, point.warnings);
        std::string& text = m_text;
        text = "<Placemark><name>";
        AppendXml(text, point.name);
        text += "</name><description>";
        AppendXml(text, description);
        text += "</description><styleUrl>#station</styleUrl><Point><altitudeMode>clampToGround"
                "</altitudeMode><coordinates>";
        AppendCoordinates(text, point.longitude, point.latitude);
        text += "</coordinates></Point></Placemark>\n";
        m_out.Write(text);
    }
    m_out.Write("</Folder>\n</Document>\n</kml>\n");
    return m_out.HasError() ? kMsgWriteError : 0;
}
