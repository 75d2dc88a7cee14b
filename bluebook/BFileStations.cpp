// The B-file's datum and station passes, and the three passes in their order.
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
constexpr ScaledField k80Latitude{45, 11, 1e-9};
constexpr int k80LatitudeHemisphere = 56;  // "S": south
constexpr ScaledField k80Longitude{57, 12, 1e-9};
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

/// What the passes share.
struct BFilePass {
    StationNames& names;
    BlueBookReceiver& receiver;
    int& lineCounter;

    RecordRef At(std::string_view line) const {
        return {BlueBookFile::kBFile, lineCounter, BFileRecordType(line)};
    }
    std::string_view Station(const RecordFields& fields, Field f) {
        return names.Lookup(fields.Text(f), static_cast<std::size_t>(f.width));
    }
};

/// Reads a "*13*" record into `datum`.
void ReadDatum(BFilePass& pass, RecordFields& f, DatumRecord& datum) {
    datum.found = true;
    datum.name = pass.Station(f, k13Name);
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

/// The datum pass: the first "*13*" record, handed on found or not.
int DatumPass(InputFile& in, BFilePass& pass) {
    bool found = false;
    const int result = ForEachDataLine(in, pass.lineCounter, [&](std::string_view line) {
        if (BFileRecordType(line) != "*13*") return 0;
        found = true;
        RecordFields fields(line);
        DatumRecord datum;
        datum.at = pass.At(line);
        ReadDatum(pass, fields, datum);
        const int handedOn = pass.receiver.Datum(datum);
        if (handedOn != 0) return handedOn;
        WarnAboutConvertedRecord(pass.receiver, datum.at, line, fields.DigitsThenBlanks());
        return kStopReading;
    });
    if (result != 0 || found) return result;
    DatumRecord none;
    none.at = {BlueBookFile::kBFile, 0, {}};
    return pass.receiver.Datum(none);
}

/// "*80*" control point: a new table entry with its position and elevation.
int ControlPoint(BFilePass& pass, RecordFields& f, BFileStationTable& table) {
    const RecordRef at = pass.At(f.Line());
    const std::string_view name = pass.Station(f, kStation);
    if (table.FirstIndexOf(name) >= 0) {
        pass.receiver.Warning(at, RecordWarning::kDuplicateStation, name);
    }
    BFileStation& station = table.Append(name);
    station.line = at.line;
    station.latitude = f.Real(k80Latitude);
    if (f.Letter(k80LatitudeHemisphere) == 'S') station.latitude = -station.latitude;
    station.longitude = f.Real(k80Longitude);
    if (f.Letter(k80LongitudeHemisphere) == 'W') station.longitude = -station.longitude;
    station.orthoHeight = f.Real(k80Elevation);
    station.geoidHeight = 0.0;
    station.ellipsoidHeight = station.orthoHeight;
    const int result = pass.receiver.StationPart({at, station.name});
    if (result == 0) WarnAboutConvertedRecord(pass.receiver, at, f.Line(), f.DigitsThenBlanks());
    return result;
}

/// The table entry of the station of a "*85*" or "*86*" record, or null (the line is then
/// skipped) when no earlier "*80*" record made one.
BFileStation* EarlierStation(BFilePass& pass, const RecordFields& f, BFileStationTable& table) {
    const int i = FindStation(pass.Station(f, kStation), table, table.Count());
    if (i >= 0) return &table[i];
    pass.receiver.Skipped(pass.At(f.Line()), SkipReason::kNoEarlierStation);
    return nullptr;
}

/// "*85*" deflection of the vertical, and "*86*" heights (blank fields give 0.0).
int StationDetail(BFilePass& pass, RecordFields& f, BFileStationTable& table, bool heights) {
    BFileStation* const station = EarlierStation(pass, f, table);
    if (station == nullptr) return 0;
    const RecordRef at = pass.At(f.Line());
    if (heights) {
        station->orthoHeight = f.Real(k86OrthoHeight);
        station->geoidHeight = f.Real(k86GeoidHeight);
        station->ellipsoidHeight = f.Real(k86EllipsoidHeight);
    } else {
        station->xi = f.Real(k85Xi);
        if (f.Letter(k85XiSign) == 'S') station->xi = -station->xi;
        station->xiSd = f.Real(k85XiSd);
        station->eta = f.Real(k85Eta);
        if (f.Letter(k85EtaSign) == 'W') station->eta = -station->eta;
        station->etaSd = f.Real(k85EtaSd);
    }
    const int result = pass.receiver.StationPart({at, station->name});
    if (result != 0) return result;
    WarnAboutConvertedRecord(pass.receiver, at, f.Line(), f.DigitsThenBlanks());
    if (heights && (f.IsBlank(k86OrthoHeight) || f.IsBlank(k86GeoidHeight) ||
                    f.IsBlank(k86EllipsoidHeight))) {
        pass.receiver.Warning(at, RecordWarning::kBlankHeight, {});
    }
    return 0;
}

/// The station pass: the table from every "*80*", "*85*" and "*86*" record.
int StationPass(InputFile& in, BFilePass& pass, BFileStationTable& table) {
    return ForEachDataLine(in, pass.lineCounter, [&](std::string_view line) {
        const std::string_view type = BFileRecordType(line);
        RecordFields fields(line);
        if (type == "*80*") return ControlPoint(pass, fields, table);
        if (type == "*85*") return StationDetail(pass, fields, table, false);
        if (type == "*86*") return StationDetail(pass, fields, table, true);
        return 0;
    });
}

/// Hands on every entry of the table, in table order.
int HandOnStations(BFilePass& pass, const BFileStationTable& table) {
    for (int i = 0; i < table.Count(); ++i) {
        const BFileStation& s = table[i];
        const StationRecord record{{BlueBookFile::kBFile, s.line, "*80*"},
                                   s.name, s.latitude, s.longitude, s.orthoHeight,
                                   s.geoidHeight, s.ellipsoidHeight, s.xi, s.xiSd, s.eta,
                                   s.etaSd};
        if (const int result = pass.receiver.Station(record); result != 0) return result;
    }
    return 0;
}

/// Goes back to the first line for the next pass; false (a read error) when the file cannot.
bool StartPass(InputFile& in, int& lineCounter) {
    if (!in.Rewind()) return false;
    lineCounter = 0;
    return true;
}

int ReadPasses(InputFile& in, BFilePass& pass, long long& lines) {
    if (const int result = DatumPass(in, pass); result != 0) return result;
    if (!StartPass(in, pass.lineCounter)) return kMsgReadError;
    BFileStationTable table;
    if (const int result = StationPass(in, pass, table); result != 0) return result;
    if (const int result = HandOnStations(pass, table); result != 0) return result;
    if (!StartPass(in, pass.lineCounter)) return kMsgReadError;
    return ReadBFileObservations(in, pass.names, pass.receiver, pass.lineCounter, lines);
}

}  // namespace

void WarnAboutConvertedRecord(BlueBookReceiver& receiver, const RecordRef& at,
                              std::string_view line, bool digitsThenBlanks) {
    if (digitsThenBlanks) receiver.Warning(at, RecordWarning::kDigitsThenBlanks, {});
    const std::string_view mark = GetFieldText(6, 1, line);
    if (mark == "R" || mark == "O" || mark == "F") {
        receiver.Warning(at, RecordWarning::kRejectedMark, {});
    }
}

BFileStationTable::BFileStationTable() {
    m_entries.reserve(kInitialStationCapacity);
    m_firstIndex.reserve(kInitialStationCapacity);
}

BFileStation& BFileStationTable::Append(std::string_view name) {
    m_entries.emplace_back();
    BFileStation& station = m_entries.back();
    station.name.assign(name.data(), name.size());
    m_firstIndex.emplace(station.name, Count() - 1);  // keeps an earlier entry of the name
    return station;
}

int BFileStationTable::FirstIndexOf(std::string_view name) const {
    const auto found = m_firstIndex.find(std::string(name));
    return found == m_firstIndex.end() ? -1 : found->second;
}

int FindStation(std::string_view name, const BFileStationTable& table, int count) {
    if (count <= 0) return -1;
    const int first = table.FirstIndexOf(name);
    return first < count ? first : -1;
}

int ReadBFile(InputFile& in, StationNames& names, BlueBookReceiver& receiver, int& lineCounter) {
    lineCounter = 0;
    receiver.BeginFile(BlueBookFile::kBFile);
    BFilePass pass{names, receiver, lineCounter};
    long long lines = 0;
    int result = 0;
    try {
        result = ReadPasses(in, pass, lines);
    } catch (const std::bad_alloc&) {
        result = kMsgOutOfMemory;
    }
    receiver.EndFile(BlueBookFile::kBFile, lines, result == 0);
    return result;
}
