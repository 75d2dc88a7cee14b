// The receiver that writes the survey network as GeoJSON (RFC 7946), for QGIS or a web map: one
// FeatureCollection with
//   - one LineString per observation and GPS vector, from its occupied (or from-) station to
//     the station it names, when both are B-file stations with a position: a "*30*" or "*32*"
//     angle gives two, to its backsight and to its foresight. The first "*80*" record of a name
//     places it, and names are matched as the TELLURAX file writes them (after SERFIL);
//   - one Point per B-file station ("*80*" record with its "*85*" and "*86*" records), in the
//     order of the "*80*" records, after the lines;
//   - a foreign member "notDrawn": the lines left out for an end without a position, the G
//     records (X, Y, Z only) left out, and the report's vector end points not in the B-file.
// Every feature has "type", "geometry" and "properties"; the properties name the record
// ("record": "*20*", "C"...), its "line", its stations and values, and "warnings": the texts
// (WarningText) of the warnings about the records it was drawn from, each once, in the order of
// ReportWarning (an empty array when there is none).
//
// Positions are decimal degrees, [longitude, latitude], 9 decimals, as the B-file gives them
// (on its datum; no datum shift is applied). Property values are written as the TELLURAX file
// writes them: angles packed DMS (DD.MMSSsss) with 6 decimals, their standard deviations seconds
// of arc with 3, lengths and vector components metres with 5, station heights metres with 4.
// A number that is no finite value is written null. Lines end with "\n" on every platform, and
// every number goes through AppendFixed, so the file is the same bytes everywhere.
//
// Memory grows with the stations (their points wait for the end, when the report's warnings
// about them are known), not with the file: a line feature is written as soon as the record
// after its own shows that no more warnings about it can come.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "bluebook/Receiver.h"
#include "output/OutputFile.h"

class ConversionReport;

class GeoJsonWriter : public BlueBookReceiver {
public:
    /// Writes to `out` (open, empty); a write error returns 1517 from the call that met it,
    /// which stops the reader.
    explicit GeoJsonWriter(OutputFile& out) : m_out(out) {}

    /// Completes the file: the last line features, the points and "notDrawn". With `report`
    /// (after ConversionReport::CompareStations, when the job ran it), the points of stations
    /// no vector reaches carry that warning and "notDrawn" lists the vector end points not in
    /// the B-file. Returns 0, or 1517 when any write failed. Later calls write nothing.
    int Finish();
    int Finish(const ConversionReport& report);

    void BeginFile(BlueBookFile file) override;
    void EndFile(BlueBookFile file, long long lines, bool reachedEnd) override;
    int StationPart(const ::StationPart& part) override;
    int Station(const StationRecord& s) override;
    int Direction(const DirectionRecord& r) override;
    int HorizontalAngle(const HorizontalAngleRecord& r) override;
    int VerticalAngle(const VerticalAngleRecord& r) override;
    int HeightDifference(const HeightDifferenceRecord& r) override;
    int Distance(const DistanceRecord& r) override;
    int Azimuth(const AzimuthRecord& r) override;
    int VectorSet(const VectorSetRecord& set) override;
    int Position(const PositionRecord& r) override;
    void Warning(const RecordRef& at, RecordWarning warning, std::string_view name) override;

private:
    using WarningBits = std::uint32_t;  // bit w: ReportWarning w

    /// A B-file station: its point waits for the end of the conversion.
    struct StationPoint {
        std::string name;
        int line;                     // of its "*80*" record
        bool placed = false;          // its station record gave a finite position
        double longitude = 0.0, latitude = 0.0;  // decimal degrees
        double orthoHeight = 0.0, geoidHeight = 0.0, ellipsoidHeight = 0.0;  // NaN (null)
        WarningBits warnings = 0;                                   // until its station record
    };
    /// A line feature whose warnings may still come: its text up to the warnings.
    struct HeldLine {
        std::string text;
        int line;
        WarningBits warnings;
    };

    int Finish(const ConversionReport* report);

    void OpenCollection();
    /// Writes a feature: `text` up to its warnings, then the warnings and the closing braces.
    int WriteFeature(std::string& text, WarningBits warnings);
    /// Writes the held line features; nothing is then left for a warning to concern.
    int Flush();
    /// Flush, as the record at `at` is handed on: early warnings not about it are dropped.
    int NextRecord(const RecordRef& at);
    WarningBits TakeEarlyWarnings();

    StationPoint& AddPoint(std::string_view name, int line);
    /// The point of the first station named `name` when it has a position, else null.
    const StationPoint* Placed(std::string_view name) const;
    void AppendPoint(std::string& text, const StationPoint& point) const;

    /// Holds a line feature of the record at `at` from `from` to `to`, with the warnings
    /// `early`, and begins its properties; the caller adds the record's values to HeldText().
    /// False (the line counted as not drawn) when an end has no position.
    bool StartLine(const RecordRef& at, std::string_view from, std::string_view to,
                   WarningBits early);
    std::string& HeldText() { return m_held[m_heldCount - 1].text; }
    void HoldVector(const VectorSetRecord& set, int k, const SetMember& member,
                    WarningBits early);
    void AppendNotDrawn(std::string& text, const ConversionReport* report) const;

    OutputFile& m_out;
    bool m_started = false;   // the collection's opening is written
    bool m_finished = false;
    bool m_firstFeature = true;

    std::vector<StationPoint> m_points;  // in the order of the "*80*" records
    std::unordered_map<std::string, std::size_t> m_firstPoint;  // name -> its first point
    std::size_t m_nextPlaced = 0;        // the point the next station record places

    // What a warning can concern: the record handed on last.
    BlueBookFile m_file = BlueBookFile::kBFile;
    std::vector<HeldLine> m_held;  // its line features (reused; the first m_heldCount count)
    std::size_t m_heldCount = 0;
    std::vector<int> m_setLines;   // lines whose warnings concern every held feature
    std::size_t m_partPoint = 0;   // the station its "*80*", "*85*", "*86*" record made or
    int m_partLine = 0;            // completed, and that record's line (0: none)
    // Warnings of a line that no held feature or station took: handed on before their record
    // (a second "*80*"), or about a record that drew nothing. Dropped at the next record.
    BlueBookFile m_earlyFile = BlueBookFile::kBFile;
    int m_earlyLine = 0;
    WarningBits m_earlyWarnings = 0;
    int m_termOutsideLine = 0;     // last D or E line with a term outside the matrix

    std::int64_t m_linesNotDrawn = 0;
    std::int64_t m_positionsNotDrawn = 0;
};
