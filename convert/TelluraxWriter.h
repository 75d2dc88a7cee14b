// The receiver that writes what the Blue Book readers read into the TELLURAX input file: the
// header after the B-file's datum pass, one compact record per station, observation, vector
// and position, each after the comment line that names the Blue Book record it came from.
#pragma once

#include "bluebook/Receiver.h"
#include "output/CompactRecords.h"
#include "output/OutputFile.h"

class BlueBookConverter;

class TelluraxWriter : public BlueBookReceiver {
public:
    /// Writes to `out`; the header takes the converter's datum fields, and every record's
    /// comment goes through the converter's m_recordComment.
    TelluraxWriter(BlueBookConverter& converter, OutputFile& out)
        : m_converter(converter), m_out(out) {}

    int Datum(const DatumRecord& datum) override;
    int Station(const StationRecord& station) override;
    int Direction(const DirectionRecord& r) override;
    int HorizontalAngle(const HorizontalAngleRecord& r) override;
    int VerticalAngle(const VerticalAngleRecord& r) override;
    int HeightDifference(const HeightDifferenceRecord& r) override;
    int Distance(const DistanceRecord& r) override;
    int Azimuth(const AzimuthRecord& r) override;
    int VectorSet(const VectorSetRecord& set) override;
    int Position(const PositionRecord& r) override;

private:
    /// Sets the record comment to `text`, with the reason after it for a rejected record or
    /// one with a value that is not finite, and returns it; such a record is written commented
    /// out.
    RecordComment Comment(std::string_view text, const RejectMark& reject, bool notFinite);
    RecordComment Comment(std::string_view text, const RecordRef& at) {
        return Comment(text, at.reject, at.findings.Has(Finding::kNotFinite));
    }

    BlueBookConverter& m_converter;
    OutputFile& m_out;
};
