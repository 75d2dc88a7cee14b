// The receiver that writes the survey network as KML 2.2, for Google Earth: one Document with
//   - a folder of lines, one Placemark with a LineString per observation and GPS vector between
//     two B-file stations with a position (a "*30*" or "*32*" angle gives two, to its backsight
//     and to its foresight), written as its record comes; rejected ones in a style of their own;
//   - a folder of stations, one Placemark with a Point per B-file station ("*80*" record, with
//     its "*85*" and "*86*" records), in the order of the "*80*" records, at the end.
// Each placemark's description holds its record, line, values and the warnings found about it.
// Coordinates are longitude,latitude in decimal degrees (9 decimals) on the B-file's datum,
// clamped to the ground: heights are in the descriptions, not in the drawing. The text is UTF-8
// (a byte that is not is taken as Latin-1), every number goes through the one formatter, and
// lines end with "\n", so the file is the same bytes on every platform.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "convert/MapWriter.h"

class KmlWriter : public MapWriter {
public:
    /// Writes to `out` (open, empty); a write error returns 1517 from the call that met it.
    explicit KmlWriter(OutputFile& out) : m_out(out) {}

    int Finish(const ConversionReport* report) override;

    int StationPart(const ::StationPart& part) override;
    int Station(const StationRecord& s) override;
    int Direction(const DirectionRecord& r) override;
    int HorizontalAngle(const HorizontalAngleRecord& r) override;
    int VerticalAngle(const VerticalAngleRecord& r) override;
    int HeightDifference(const HeightDifferenceRecord& r) override;
    int Distance(const DistanceRecord& r) override;
    int Azimuth(const AzimuthRecord& r) override;
    int VectorSet(const VectorSetRecord& set) override;

private:
    /// A B-file station: its placemark waits for the end of the conversion.
    struct StationPoint {
        std::string name;
        int line = 0;          // of its first "*80*" record
        bool placed = false;   // its station record gave a finite position
        double longitude = 0.0, latitude = 0.0;  // decimal degrees
        double orthoHeight = 0.0, geoidHeight = 0.0, ellipsoidHeight = 0.0;
        std::vector<std::string> warnings;  // the sentences found about its records
    };

    /// Writes the document's head once.
    void Open();
    /// The point of the first station named `name` when it has a position, else null.
    const StationPoint* Placed(std::string_view name) const;
    StationPoint* FirstOf(std::string_view name);
    /// Writes a line placemark from `from` to `to`, when both have a position, with `details`
    /// (the description's lines before its warnings) and the warnings of `found`.
    int Line(const RecordRef& at, std::string_view from, std::string_view to,
             const std::string& details, const Findings& found);

    OutputFile& m_out;
    bool m_opened = false;
    bool m_finished = false;
    std::vector<StationPoint> m_points;                          // in "*80*" order
    std::unordered_map<std::string, std::size_t> m_firstPoint;  // name -> its first point
    std::size_t m_nextPlaced = 0;  // the point the next station record places
    std::string m_text;            // the placemark being written (reused)
};
