// The B-file: three passes from its first line. The datum pass takes the first "*13*" record
// and the header follows; the station pass gathers "*80*", "*85*" and "*86*" records into the
// station table and writes one "$GEO_COMPACT" line per entry; the observation pass
// (BFileObservations.cpp) writes the observations in file order.
#include <new>
#include <string>
#include <string_view>

#include "bluebook/BFile.h"
#include "bluebook/InputFile.h"
#include "bluebook/RecordLine.h"
#include "bluebook/ReportedFields.h"
#include "convert/BlueBookConverter.h"
#include "convert/ConversionReport.h"
#include "convert/Messages.h"
#include "output/OutputFile.h"

namespace {

/// Stations expected in a typical project; the table grows beyond it when needed.
constexpr std::size_t kInitialStationCapacity = 1000;

/// The record type: columns 7 to 10, compared exactly.
std::string_view RecordType(std::string_view line) { return GetFieldText(7, 4, line); }

/// True when column `column` holds exactly `letter` (a column past the line end holds none).
bool ColumnHolds(std::string_view line, int column, char letter) {
    const std::string_view field = GetFieldText(column, 1, line);
    return !field.empty() && field[0] == letter;
}

/// True when the field holds nothing but blanks (or lies beyond the line).
bool FieldIsBlank(std::string_view line, int column, int width) {
    for (const char c : GetFieldText(column, width, line)) {
        if (!IsBlank(c)) return false;
    }
    return true;
}

int BFileSlot(std::string_view type) {
    return ConversionReport::TypeSlot(ReportFile::kBFile, type);
}

/// "*80*" control point: position and elevation. `lineNumber` serves the account only.
void ApplyControlPoint(const BlueBookConverter& converter, std::string_view line,
                       BFileStationTable& table, int lineNumber) {
    ConversionReport* const report = converter.m_report;
    const std::string_view name = converter.GetFieldStation(11, 4, line);
    if (report && table.FirstIndexOf(name) >= 0) {
        report->AddWarning(ReportFile::kBFile, ReportWarning::kDuplicateStation, name, lineNumber);
    }
    BFileStation& station = table.Append(name);
    station.latitude = ReportedReal(report, line, 45, 11) * 1e-9;
    if (ColumnHolds(line, 56, 'S')) station.latitude = -station.latitude;
    station.longitude = ReportedReal(report, line, 57, 12) * 1e-9;
    if (ColumnHolds(line, 69, 'W')) station.longitude = -station.longitude;
    station.orthoHeight = ReportedReal(report, line, 70, 6) * 0.01;
    station.geoidHeight = 0.0;
    station.ellipsoidHeight = station.orthoHeight;
    if (report) {
        report->RecordConvertedBFile(BFileSlot("*80*"), line, lineNumber);
        report->AddBFileStation(station.name, lineNumber);
    }
}

/// The table entry of the station in columns 11 to 14 of a "*85*" or "*86*" record, or null
/// (noted in the account) when no earlier "*80*" record made one.
BFileStation* EarlierStation(const BlueBookConverter& converter, std::string_view line,
                             BFileStationTable& table, std::string_view type, int lineNumber) {
    const int i = FindStation(converter.GetFieldStation(11, 4, line), table, table.Count());
    if (i >= 0) return &table[i];
    if (converter.m_report) {
        converter.m_report->RecordSkipped(ReportFile::kBFile, BFileSlot(type),
                                          SkipReason::kNoEarlierStation, lineNumber);
    }
    return nullptr;
}

/// "*85*" deflection of the vertical, for a station whose "*80*" came earlier.
void ApplyDeflection(const BlueBookConverter& converter, std::string_view line,
                     BFileStationTable& table, int lineNumber) {
    ConversionReport* const report = converter.m_report;
    BFileStation* const found = EarlierStation(converter, line, table, "*85*", lineNumber);
    if (found == nullptr) return;
    BFileStation& station = *found;
    station.xi = ReportedReal(report, line, 63, 5) * 0.01;
    if (ColumnHolds(line, 68, 'S')) station.xi = -station.xi;
    station.xiSd = ReportedReal(report, line, 69, 3) * 0.01;
    station.eta = ReportedReal(report, line, 72, 5) * 0.01;
    if (ColumnHolds(line, 77, 'W')) station.eta = -station.eta;
    station.etaSd = ReportedReal(report, line, 78, 3) * 0.01;
    if (report) report->RecordConvertedBFile(BFileSlot("*85*"), line, lineNumber);
}

/// "*86*" heights, for a station whose "*80*" came earlier. Blank fields give 0.0.
void ApplyHeights(const BlueBookConverter& converter, std::string_view line,
                  BFileStationTable& table, int lineNumber) {
    ConversionReport* const report = converter.m_report;
    BFileStation* const found = EarlierStation(converter, line, table, "*86*", lineNumber);
    if (found == nullptr) return;
    BFileStation& station = *found;
    station.orthoHeight = ReportedReal(report, line, 17, 7) * 0.001;
    station.geoidHeight = ReportedReal(report, line, 36, 7) * 0.001;
    station.ellipsoidHeight = ReportedReal(report, line, 46, 7) * 0.001;
    if (report) {
        report->RecordConvertedBFile(BFileSlot("*86*"), line, lineNumber);
        if (FieldIsBlank(line, 17, 7) || FieldIsBlank(line, 36, 7) || FieldIsBlank(line, 46, 7)) {
            report->AddWarning(ReportFile::kBFile, ReportWarning::kBlankHeight, lineNumber);
        }
    }
}

}  // namespace

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

void BlueBookConverter::ConvertBFile(InputFile& bFile, OutputFile& out, int& lineCounter,
                                     int& result) {
    result = 0;
    lineCounter = 0;
    ConversionReport* const report = m_report;
    try {
        if (report) report->StartFile(ReportFile::kBFile, m_bFilePath);
        const SerfilIndexScope serfilIndex(*this);
        BFileStationTable table;
        m_recordComment.clear();
        std::string line;
        line.reserve(kMaxLineLength);

        // Datum pass: only the first "*13*" record counts.
        while (result == 0) {
            ReadDataLine(bFile, line, lineCounter, result);
            if (result > 0) {
                result = kMsgReadError;
                return;
            }
            if (line.empty()) break;
            if (RecordType(line) != "*13*") continue;

            if (report) report->BeginRecord();
            m_datumName.assign(GetFieldStation(11, 15, line));
            const double a = ReportedReal(report, line, 51, 10) * 0.001;  // millimetres
            m_semiMajorAxis = a;
            if (a > 0.001) {
                m_inverseFlattening = ReportedReal(report, line, 61, 10) * 1e-7;
                if (!(m_inverseFlattening > 0.001)) {
                    // No inverse flattening: derive it from the semi-minor axis. A sphere
                    // (b equal to a) is written with the inverse flattening 0.
                    const double b = ReportedReal(report, line, 71, 10) * 0.001;
                    m_inverseFlattening = b == a ? 0.0 : 1.0 / ((a - b) / a);
                }
                m_recordComment = "!B-File Record Type 13";
            }
            if (report) report->RecordConvertedBFile(BFileSlot("*13*"), line, lineCounter);
            break;
        }

        WriteHeader(out, result);
        if (!bFile.Rewind()) {
            result = kMsgReadError;
            return;
        }

        // Station pass, skipped when the header could not be written.
        if (result == 0) {
            lineCounter = 0;
            for (;;) {
                int readResult = 0;
                ReadDataLine(bFile, line, lineCounter, readResult);
                if (readResult > 0) {
                    result = kMsgReadError;
                    return;
                }
                if (line.empty()) break;
                const std::string_view type = RecordType(line);
                if (report) report->BeginRecord();
                if (type == "*80*") {
                    ApplyControlPoint(*this, line, table, lineCounter);
                } else if (type == "*85*") {
                    ApplyDeflection(*this, line, table, lineCounter);
                } else if (type == "*86*") {
                    ApplyHeights(*this, line, table, lineCounter);
                }
            }
        }

        m_recordComment = "!B-File Record Type 80, 85, 86";
        for (int i = 0; i < table.Count() && result == 0; ++i) {
            const BFileStation& s = table[i];
            WriteGeoCompact(s.name, s.latitude, s.longitude, s.orthoHeight, s.geoidHeight,
                            s.ellipsoidHeight, s.xi, s.xiSd, s.eta, s.etaSd, out, result);
            if (report && result == 0) ++report->stationsWritten;
        }

        if (!bFile.Rewind()) {
            result = kMsgReadError;
            return;
        }
        if (result == 0) {
            lineCounter = 0;
            ConvertBFileObservations(*this, bFile, out, lineCounter, result);
            if (result == kMsgReadError) return;
            if (report && result == 0) report->FinishFile(ReportFile::kBFile);
        }
        if (result > 0) result = kMsgWriteError;
    } catch (const std::bad_alloc&) {
        result = kMsgOutOfMemory;
    }
}
