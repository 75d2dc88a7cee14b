// The B-file's datum and station passes, and the three passes in their order.
#include <algorithm>
#include <cstdint>
#include <deque>
#include <new>
#include <string>
#include <string_view>

#include "bluebook/BFile.h"
#include "bluebook/Fields.h"
#include "bluebook/RecordLine.h"
#include "common/ResultCodes.h"

namespace {

/// Stations expected in a typical project; the table grows beyond it when needed.
constexpr std::size_t kInitialStationCapacity = 1000;

// "*13*" datum: name, semi-major axis (mm), inverse flattening (x 1e-7) or semi-minor axis (mm).
constexpr Field k13Name{11, 15};
constexpr ScaledField k13SemiMajorAxis{51, 10, 0.001};
constexpr ScaledField k13InverseFlattening{61, 10, 1e-7};
constexpr ScaledField k13SemiMinorAxis{71, 10, 0.001};

// "*80*" control point, "*85*" deflection of the vertical, "*86*" heights.
constexpr Field kStation{11, 4};
constexpr ScaledField k80Latitude{45, 11, 1e-9, kPackedAngle};
constexpr int k80LatitudeHemisphere = 56;  // "S": south
constexpr ScaledField k80Longitude{57, 12, 1e-9, kPackedAngle};
constexpr int k80LongitudeHemisphere = 69;  // "W": west
constexpr ScaledField k80Elevation{70, 6, 0.01};
constexpr ScaledField k85Xi{63, 5, 0.01};
constexpr int k85XiSign = 68;  // "S"
constexpr ScaledField k85XiSd{69, 3, 0.01};
constexpr ScaledField k85Eta{72, 5, 0.01};
constexpr int k85EtaSign = 77;  // "W"
constexpr ScaledField k85EtaSd{78, 3, 0.01};
constexpr ScaledField k86OrthoHeight{17, 7, 0.001};
constexpr ScaledField k86GeoidHeight{36, 7, 0.001};
constexpr ScaledField k86EllipsoidHeight{46, 7, 0.001};

/// Reads a "*13*" record into `datum`.
void ReadDatum(BFilePass& pass, RecordFields& f, DatumRecord& datum) {
    datum.found = true;
    // The datum name is no station field: it never takes a station ID.
    datum.name = pass.Names().Lookup(f.Text(k13Name), static_cast<std::size_t>(k13Name.width));
    datum.semiMajorAxis = f.Real(k13SemiMajorAxis);
    datum.hasEllipsoid = datum.semiMajorAxis > 0.001;
    if (!datum.hasEllipsoid) return;
    datum.inverseFlattening = f.Real(k13InverseFlattening);
    if (!(datum.inverseFlattening > 0.001)) {
        // No inverse flattening: derive it from the semi-minor axis. A sphere (b equal to a)
        // has the inverse flattening 0.
        const double a = datum.semiMajorAxis;
        const double b = f.Real(k13SemiMinorAxis);
        datum.inverseFlattening = b == a ? 0.0 : 1.0 / ((a - b) / a);
    }
}

/// The station records of the B-file, kept as read: their names may come from "*25*" records
/// further on, so they are converted once the whole file has been read. Memory grows with the
/// stations, not with the file; the text is kept in blocks, so that growing never copies it.
class StationLines {
public:
    void Keep(std::string_view line, int number, bool asWritten) {
        if (m_blocks.empty() || m_blocks.back().size() + line.size() > kBlockSize) {
            m_blocks.emplace_back();
            m_blocks.back().reserve(std::max(kBlockSize, line.size()));
        }
        std::string& block = m_blocks.back();
        m_lines.push_back({static_cast<std::uint32_t>(m_blocks.size() - 1),
                           static_cast<std::uint32_t>(block.size()),
                           static_cast<std::uint32_t>(line.size()), number, asWritten});
        block.append(line);
    }
    std::size_t Count() const { return m_lines.size(); }
    std::string_view Text(std::size_t i) const {
        const Line& line = m_lines[i];
        return std::string_view(m_blocks[line.block]).substr(line.offset, line.length);
    }
    int Number(std::size_t i) const { return m_lines[i].number; }
    bool AsWritten(std::size_t i) const { return m_lines[i].asWritten; }

private:
    static constexpr std::size_t kBlockSize = 1 << 20;
    struct Line {
        std::uint32_t block, offset, length;
        int number;
        bool asWritten;
    };
    std::deque<std::string> m_blocks;
    std::deque<Line> m_lines;
};

/// The fields of a line the reader takes; `asWritten`: read with its columns as written.
RecordFields FieldsOf(BFilePass& pass, std::string_view line, bool asWritten) {
    RecordFields fields(line, pass.GetReading());
    if (asWritten) fields.Found().Add(Finding::kReadAsWritten);
    return fields;
}

/// Hands the first "*13*" record on as it is met.
int FirstDatum(BFilePass& pass, std::string_view line, bool asWritten) {
    RecordFields fields = FieldsOf(pass, line, asWritten);
    DatumRecord datum;
    ReadDatum(pass, fields, datum);
    datum.at = pass.Record(fields, false);
    return pass.Receiver().Datum(datum);
}

/// The first pass: hands the first "*13*" record on (or, at its end, that there was none),
/// gives the station names the IDs of the "*25*" records (NGS reading), and keeps the station
/// records.
int HeadPass(BFilePass& pass, StationLines& stations) {
    bool found = false;
    // A line that starts at column 1 has its record type in bytes 7 to 10 as it stands: the
    // observations need no look in this pass.
    const Reading reading = pass.GetReading();
    const auto notNeeded = [reading](std::string_view raw) {
        if (raw.size() < 10 || IsBlank(raw[0]) || raw[0] == '!') return false;
        const BFileType* type = FindBFileType(raw.substr(6, 4), reading);
        return type == nullptr || !ReadIn(*type, BFilePassOf::kFirst);
    };
    const auto read = [&](std::string_view text) {
        bool asWritten = false;
        const BFileType* type = nullptr;
        const std::string_view line = pass.Take(text, asWritten, type);
        if (type == nullptr || !ReadIn(*type, BFilePassOf::kFirst)) return 0;
        switch (type->record) {
            case BFileRecord::kStationId:
                pass.Names().AddStationId(GetFieldText(k25SerialNumber.column, k25SerialNumber.width, line),
                                          GetFieldText(k25StationId.column, k25StationId.width, line));
                return 0;
            case BFileRecord::kDatum:
                if (found) return 0;
                found = true;
                return FirstDatum(pass, line, asWritten);
            default:
                stations.Keep(line, pass.LineCounter(), asWritten);
                return 0;
        }
    };
    const int result = ForEachDataLine(pass.In(), pass.LineCounter(), read, notNeeded);
    if (result != 0 || found) return result;
    DatumRecord none;
    none.at = {BlueBookFile::kBFile, 0, {}};
    return pass.Receiver().Datum(none);
}

/// "*80*" control point: a new table entry with its position and elevation.
int ControlPoint(BFilePass& pass, RecordFields& f, BFileStationTable& table) {
    const std::string_view name = pass.Station(f, kStation);
    if (table.FirstIndexOf(name) >= 0) f.Found().Add(Finding::kDuplicateStation, name);
    BFileStation& station = table.Append(name);
    station.line = pass.LineCounter();
    station.latitude = f.Real(k80Latitude);
    if (f.Letter(k80LatitudeHemisphere) == 'S') station.latitude = -station.latitude;
    station.longitude = f.Real(k80Longitude);
    if (f.Letter(k80LongitudeHemisphere) == 'W') station.longitude = -station.longitude;
    station.orthoHeight = f.Real(k80Elevation);
    if (f.IsBlank(k80Elevation)) {
        station.orthoFrom = station.geoidFrom = station.ellipsoidFrom = HeightOrigin::kBlank;
    }
    station.geoidHeight = 0.0;
    station.ellipsoidHeight = station.orthoHeight;
    return pass.Receiver().StationPart({pass.Record(f, false), station.name});
}

/// The table entry of the station of a "*85*" or "*86*" record, or null (the line is then
/// skipped) when no earlier "*80*" record made one.
BFileStation* EarlierStation(BFilePass& pass, RecordFields& f, BFileStationTable& table) {
    const int i = FindStation(pass.Station(f, kStation), table, table.Count());
    if (i >= 0) return &table[i];
    pass.Receiver().Skipped(pass.At(f.Line()), SkipReason::kNoEarlierStation);
    return nullptr;
}

/// A height of a "*86*" record: its value, and whether it was written.
HeightOrigin Height(RecordFields& f, ScaledField field, double& value) {
    value = f.Real(field);
    return f.IsBlank(field) ? HeightOrigin::kBlank : HeightOrigin::kGiven;
}

/// "*86*" heights of the record on `line`. A blank field is 0.0, with a warning, except that
/// the NGS reading, as NGS's programs do, derives from h = H + N the one height of the three
/// that is blank, and a blank ellipsoidal height whatever else is blank (a note when H and N
/// were written: the usual case).
void ReadHeights(RecordFields& f, BFileStation& s, int line) {
    s.heightsLine = line;
    s.orthoFrom = Height(f, k86OrthoHeight, s.orthoHeight);
    s.geoidFrom = Height(f, k86GeoidHeight, s.geoidHeight);
    s.ellipsoidFrom = Height(f, k86EllipsoidHeight, s.ellipsoidHeight);
    constexpr HeightOrigin kGiven = HeightOrigin::kGiven;
    constexpr HeightOrigin kBlank = HeightOrigin::kBlank;
    if (f.GetReading() == Reading::kNgs) {
        if (s.ellipsoidFrom == kBlank) {
            s.ellipsoidHeight = s.orthoHeight + s.geoidHeight;
            s.ellipsoidFrom = HeightOrigin::kDerived;
            if (s.orthoFrom == kGiven && s.geoidFrom == kGiven) {
                f.Found().Add(Finding::kDerivedHeight);
            }
        } else if (s.geoidFrom == kBlank && s.orthoFrom == kGiven) {
            s.geoidHeight = s.ellipsoidHeight - s.orthoHeight;
            s.geoidFrom = HeightOrigin::kDerived;
        } else if (s.orthoFrom == kBlank && s.geoidFrom == kGiven) {
            s.orthoHeight = s.ellipsoidHeight - s.geoidHeight;
            s.orthoFrom = HeightOrigin::kDerived;
        }
    }
    if (s.orthoFrom == kBlank || s.geoidFrom == kBlank || s.ellipsoidFrom == kBlank) {
        f.Found().Add(Finding::kBlankHeight);
    }
}

/// "*85*" deflection of the vertical.
void ReadDeflection(RecordFields& f, BFileStation& station) {
    station.xi = f.Real(k85Xi);
    if (f.Letter(k85XiSign) == 'S') station.xi = -station.xi;
    station.xiSd = f.Real(k85XiSd);
    station.eta = f.Real(k85Eta);
    if (f.Letter(k85EtaSign) == 'W') station.eta = -station.eta;
    station.etaSd = f.Real(k85EtaSd);
}

/// "*85*" and "*86*": details of a station whose "*80*" came earlier.
int StationDetail(BFilePass& pass, RecordFields& f, BFileStationTable& table, bool heights) {
    BFileStation* const station = EarlierStation(pass, f, table);
    if (station == nullptr) return 0;
    if (heights) {
        ReadHeights(f, *station, pass.LineCounter());
    } else {
        ReadDeflection(f, *station);
    }
    return pass.Receiver().StationPart({pass.Record(f, false), station->name});
}

/// The station table from the station records, in file order (each handed on with its own
/// line number).
int ReadStations(BFilePass& pass, const StationLines& stations, BFileStationTable& table) {
    for (std::size_t i = 0; i < stations.Count(); ++i) {
        const std::string_view line = stations.Text(i);
        pass.LineCounter() = stations.Number(i);
        RecordFields fields = FieldsOf(pass, line, stations.AsWritten(i));
        const std::string_view type = BFileRecordType(line);
        const int result = type == "*80*" ? ControlPoint(pass, fields, table)
                                          : StationDetail(pass, fields, table, type == "*86*");
        if (result != 0) return result;
    }
    return 0;
}

/// Hands on every entry of the table, in table order.
int HandOnStations(BFilePass& pass, const BFileStationTable& table) {
    for (int i = 0; i < table.Count(); ++i) {
        const BFileStation& s = table[i];
        StationRecord record;
        record.at = {BlueBookFile::kBFile, s.line, "*80*"};
        record.name = s.name;
        record.latitude = s.latitude;
        record.longitude = s.longitude;
        record.orthoHeight = s.orthoHeight;
        record.geoidHeight = s.geoidHeight;
        record.ellipsoidHeight = s.ellipsoidHeight;
        record.xi = s.xi;
        record.xiSd = s.xiSd;
        record.eta = s.eta;
        record.etaSd = s.etaSd;
        record.heightsLine = s.heightsLine;
        record.orthoFrom = s.orthoFrom;
        record.geoidFrom = s.geoidFrom;
        record.ellipsoidFrom = s.ellipsoidFrom;
        if (!AllFinite({s.latitude, s.longitude, s.orthoHeight, s.geoidHeight,
                        s.ellipsoidHeight, s.xi, s.xiSd, s.eta, s.etaSd})) {
            record.at.findings.Add(pass.GetReading() == Reading::kNgs ? Finding::kNotFinite
                                                                      : Finding::kNotFiniteWritten);
        }
        if (const int result = pass.Receiver().Station(record); result != 0) return result;
    }
    return 0;
}

/// Goes back to the first line for the next pass. 1520 when the file changed since it was
/// opened (its passes would read different files), 1518 when it cannot go back.
int StartPass(BFilePass& pass) {
    if (pass.In().Changed()) return kMsgInputChanged;
    if (!pass.In().Rewind()) return kMsgReadError;
    pass.LineCounter() = 0;
    return 0;
}

/// The first pass reads the datum, the station IDs and the station records; the station table
/// is made from them and handed on; then the observation pass reads the file again.
int ReadPasses(BFilePass& pass, long long& lines) {
    BFileStationTable table;
    {
        StationLines stations;
        if (const int result = HeadPass(pass, stations); result != 0) return result;
        if (const int result = ReadStations(pass, stations, table); result != 0) return result;
    }
    if (const int result = HandOnStations(pass, table); result != 0) return result;
    if (const int result = StartPass(pass); result != 0) return result;
    if (const int result = ReadBFileObservations(pass, lines); result != 0) return result;
    return pass.In().Changed() ? kMsgInputChanged : 0;
}

}  // namespace

std::string_view BFilePass::Take(std::string_view trimmed, bool& asWritten,
                                 const BFileType*& type) {
    asWritten = false;
    type = FindBFileType(BFileRecordType(trimmed), m_reading);
    if (m_reading != Reading::kNgs || type != nullptr) return trimmed;
    // Columns 7 to 10 as written stand at 7 - n to 10 - n of the line without its n leading
    // blanks; the marker can only have moved there from its place when n is 1 to 6.
    const std::size_t n = m_in.LeadingBlanks();
    if (n < 1 || n > 6) return trimmed;
    const std::string_view marker = GetFieldText(7 - static_cast<int>(n), 4, trimmed);
    if (marker.size() != 4 || marker[0] != '*' || marker[3] != '*') return trimmed;
    m_asWritten.assign(n, ' ');
    m_asWritten.append(trimmed);
    type = FindBFileType(marker, m_reading);
    asWritten = type != nullptr;
    return m_asWritten;
}

std::string_view BFilePass::Station(RecordFields& fields, Field f) {
    bool fromStationId = false;
    const std::string_view name =
        m_names.Lookup(fields.Text(f), static_cast<std::size_t>(f.width),
                       m_reading == Reading::kNgs, fromStationId);
    if (fromStationId) fields.Found().Add(Finding::kNameFromStationId);
    return name;
}

RecordRef BFilePass::Record(RecordFields& fields, bool rejectable) {
    RecordRef at = At(fields.Line());
    const char mark = fields.Letter(6);
    if (mark == 'R' || mark == 'O' || mark == 'F') {
        if (m_reading == Reading::kClassic) {
            fields.Found().Add(Finding::kRejectedMark);
        } else if (rejectable) {
            at.reject = {mark, 6};
            fields.Found().Add(Finding::kRejected);
        }
    }
    at.findings = fields.Found();
    return at;
}

BFileStationTable::BFileStationTable() {
    m_entries.reserve(kInitialStationCapacity);
    m_names.reserve(kInitialStationCapacity);
}

BFileStation& BFileStationTable::Append(std::string_view name) {
    m_entries.emplace_back();
    BFileStation& station = m_entries.back();
    station.name.assign(name.data(), name.size());
    m_names.emplace_back(name);
    m_firstIndex.Add(m_names);  // keeps an earlier entry of the name
    return station;
}

int BFileStationTable::FirstIndexOf(std::string_view name) const {
    return m_firstIndex.Find(name, m_names);
}

int FindStation(std::string_view name, const BFileStationTable& table, int count) {
    if (count <= 0) return -1;
    const int first = table.FirstIndexOf(name);
    return first < count ? first : -1;
}

int ReadBFile(InputFile& in, StationNames& names, Reading reading, BlueBookReceiver& receiver,
              int& lineCounter) {
    lineCounter = 0;
    receiver.BeginFile(BlueBookFile::kBFile);
    BFilePass pass(in, names, reading, receiver, lineCounter);
    long long lines = 0;
    int result = 0;
    try {
        result = ReadPasses(pass, lines);
    } catch (const std::bad_alloc&) {
        result = kMsgOutOfMemory;
    }
    receiver.EndFile(BlueBookFile::kBFile, lines, result == 0);
    return result;
}
