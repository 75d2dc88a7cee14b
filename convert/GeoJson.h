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
// ("record": "*20*", "C"...), its "line", its stations and values, and "warnings": the texts of
// the warnings (and rejections) found about the records it was drawn from, each once, in the
// order of the findings table (an empty array when there is none). A vector is drawn from its C
// or F record; what was found about its set's B, D and E records concerns every vector of it.
//
// Positions are decimal degrees, [longitude, latitude], 9 decimals, as the B-file gives them
// (on its datum; no datum shift is applied). Property values are written as the TELLURAX file
// writes them: angles packed DMS (DD.MMSSsss) with 6 decimals, their standard deviations seconds
// of arc with 3, lengths and vector components metres with 5, station heights metres with 4.
// A number that is no finite value is written null. Lines end with "\n" on every platform, and
// every number goes through AppendFixed, so the file is the same bytes everywhere.
//
// Memory grows with the stations (their points wait for the end, when the report's warnings
// about them are known), not with the file: a line feature is written as its record comes.
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

private:
    /// A B-file station: its point waits for the end of the conversion.
    struct StationPoint {
        std::string name;
        int line;                     // of its "*80*" record
        bool placed = false;          // its station record gave a finite position
        double longitude = 0.0, latitude = 0.0;  // decimal degrees
        double orthoHeight = 0.0, geoidHeight = 0.0, ellipsoidHeight = 0.0;  // NaN (null)
        Findings found;  // about its "*80*", "*85*", "*86*" and station records
    };

    int Finish(const ConversionReport* report);

    void OpenCollection();
    /// Writes a feature: `text` up to its warnings, then the warnings found and the closing
    /// braces.
    int WriteFeature(std::string& text, const Findings& found);

    StationPoint& AddPoint(std::string_view name, int line);
    /// The point of the first station named `name` when it has a position, else null.
    const StationPoint* Placed(std::string_view name) const;
    void AppendPoint(std::string& text, const StationPoint& point) const;

    /// Begins the line feature of the record at `at` from `from` to `to` in m_text, up to its
    /// properties; the caller adds the record's values and writes it with EndLine. False (the
    /// line counted as not drawn) when an end has no position.
    bool StartLine(const RecordRef& at, std::string_view from, std::string_view to);
    int EndLine(const Findings& found) { return WriteFeature(m_text, found); }
    int WriteVector(const VectorSetRecord& set, int k, const SetMember& member,
                    const Findings& setFound);
    void AppendNotDrawn(std::string& text, const ConversionReport* report) const;

    OutputFile& m_out;
    bool m_started = false;   // the collection's opening is written
    bool m_finished = false;
    bool m_firstFeature = true;

    std::vector<StationPoint> m_points;  // in the order of the "*80*" records
    std::unordered_map<std::string, std::size_t> m_firstPoint;  // name -> its first point
    std::size_t m_nextPlaced = 0;        // the point the next station record places
    std::string m_text;                  // the feature being written (reused)

    std::int64_t m_linesNotDrawn = 0;
    std::int64_t m_positionsNotDrawn = 0;
};
