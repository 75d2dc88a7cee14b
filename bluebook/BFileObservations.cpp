// The B-file observation pass: every supported observation record becomes one compact record,
// in file order. Directions ("*20*", "*22*"), horizontal angles ("*30*", "*32*"), vertical
// angles ("*40*", "*42*"), height differences ("*45*"), distances ("*50*" to "*54*") and
// azimuths ("*60*", "*61*"). Values carry implied decimals and are scaled here; angles are
// packed DMS, their standard deviations seconds of arc, lengths metres. A pair the record does
// not carry is passed as -1.0 and written "NOOBS".
#include <string_view>

#include "bluebook/BFile.h"
#include "bluebook/InputFile.h"
#include "bluebook/RecordLine.h"
#include "bluebook/ReportedFields.h"
#include "convert/BlueBookConverter.h"
#include "convert/ConversionReport.h"
#include "convert/Messages.h"
#include "output/Angles.h"
#include "output/OutputFile.h"

namespace {

constexpr double kAbsent = -1.0;

/// The number and instrument height of the set a "*20*", "*30*" or "*40*" record opened; the
/// continuation records "*22*", "*32*", "*42*" of the same set borrow the height.
struct ObservationSet {
    int number = 0;
    double instrumentHeight = 0.0;
};

/// The number of a record type "*NN*" (20 for "*20*"), or -1 for any other text.
int RecordNumber(std::string_view type) {
    if (type.size() != 4 || type[0] != '*' || type[3] != '*') return -1;
    const char tens = type[1];
    const char units = type[2];
    if (tens < '0' || tens > '9' || units < '0' || units > '9') return -1;
    return (tens - '0') * 10 + (units - '0');
}

/// The code letter in `column` as written (a blank where the line ends before it).
char CodeAt(std::string_view line, int column) {
    const std::string_view field = GetFieldText(column, 1, line);
    return field.empty() ? ' ' : field[0];
}

/// The code letter in `column`, upper case (ASCII only: no locale is consulted).
char UpperCodeAt(std::string_view line, int column) {
    const char c = CodeAt(line, column);
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

/// The square root of a^2 + b^2 for the two standard deviations of a record.
double Combined(double a, double b) { return SquareRoot(a * a + b * b); }

/// One pass over the observation records, with the set memory of the three set families.
class ObservationPass {
public:
    ObservationPass(BlueBookConverter& converter, OutputFile& out, int& result)
        : m_converter(converter), m_report(converter.m_report), m_out(out), m_result(result) {}

    /// Converts one record; `lineNumber` serves the account only.
    void Convert(std::string_view line, int lineNumber) {
        if (m_report) {
            m_report->CountLine(ReportFile::kBFile);
            m_report->BeginRecord();
            m_line = line;
            m_lineNumber = lineNumber;
            m_slot = ConversionReport::TypeSlot(ReportFile::kBFile, GetFieldText(7, 4, line));
        }
        switch (const int type = RecordNumber(GetFieldText(7, 4, line)); type) {
            case 20: Direction(line, true); break;
            case 22: Direction(line, false); break;
            case 30: HorizontalAngle(line, true); break;
            case 32: HorizontalAngle(line, false); break;
            case 40: VerticalAngle(line, true); break;
            case 42: VerticalAngle(line, false); break;
            case 45: HeightDifference(line); break;
            case 50: case 51: case 52: case 53: case 54: Distance(line, type); break;
            case 60: Azimuth(line, true); break;
            case 61: Azimuth(line, false); break;
            default:  // not an observation this converter supports
                if (m_report) NoteOtherRecord(line, type);
                break;
        }
    }

private:
    /// Columns `column` .. `column + width - 1` times `scale`.
    double Scaled(std::string_view line, int column, int width, double scale) const {
        return ReportedReal(m_report, line, column, width) * scale;
    }

    int Integer(std::string_view line, int column, int width) const {
        return ReportedInt(m_report, line, column, width);
    }

    /// The set number of every observation record: integer columns 15 to 16.
    int SetNumberOf(std::string_view line) const { return Integer(line, 15, 2); }

    /// Accounts for the record after its writer ran (a failed write ends the pass).
    void NoteWritten() {
        if (!m_report || m_result != 0) return;
        m_report->RecordConvertedBFile(m_slot, m_line, m_lineNumber);
        ++m_report->observationsWritten;
    }

    void NoteSkipped(SkipReason reason) {
        if (m_report) m_report->RecordSkipped(ReportFile::kBFile, m_slot, reason, m_lineNumber);
    }

    /// Accounts for a record that is no observation. The datum and station records were
    /// accounted for by their own passes, except datum records after the first.
    void NoteOtherRecord(std::string_view line, int type) {
        if (type == 80 || type == 85 || type == 86) return;
        if (type == 13) {
            if (m_datumSeen) NoteSkipped(SkipReason::kLaterDatum);
            m_datumSeen = true;
            return;
        }
        if (line.size() >= 4 && line[0] == '*' && line[3] == '*') {
            // The marker stands at column 1: the sequence number columns were blank.
            m_slot = ConversionReport::TypeSlot(ReportFile::kBFile, line.substr(0, 4));
            NoteSkipped(SkipReason::kTypeAtColumn1);
            m_report->AddWarning(ReportFile::kBFile, ReportWarning::kTypeAtColumn1, m_lineNumber);
            return;
        }
        NoteSkipped(SkipReason::kUnsupportedType);
    }

    std::string_view Station(std::string_view line, int column) const {
        return m_converter.GetFieldStation(column, 4, line);
    }

    /// Opens `set` with the record's number and instrument height (columns 36 to 39), or, for a
    /// continuation, checks that the record belongs to it. False when the record is skipped.
    bool JoinSet(std::string_view line, bool opens, ObservationSet& set) {
        const int number = SetNumberOf(line);
        if (opens) {
            set.number = number;
            set.instrumentHeight = Scaled(line, 36, 4, 0.01);
            return true;
        }
        if (number == set.number) return true;
        NoteSkipped(SkipReason::kOtherSet);
        return false;
    }

    /// "*20*" opens a direction set, "*22*" continues it.
    void Direction(std::string_view line, bool opens) {
        if (!JoinSet(line, opens, m_directionSet)) return;
        const double targetHeight = Scaled(line, 55, 4, 0.01);
        const double direction = Scaled(line, 64, 9, 1e-6);
        const double sd = Combined(Scaled(line, 73, 4, 0.01), Scaled(line, 77, 4, 0.01));
        m_converter.m_recordComment = opens ? "!B-File Record Type 20" : "!B-File Record Type 22";
        m_converter.WriteDirCompact(Station(line, 11), Station(line, 51), direction, sd, kAbsent,
                                    kAbsent, kAbsent, kAbsent, m_directionSet.instrumentHeight,
                                    targetHeight, m_directionSet.number, m_out, m_result);
        NoteWritten();
    }

    /// "*30*" opens an angle set, "*32*" continues it. Station 11-14 is the instrument's,
    /// 51-54 the foresight, 72-75 the backsight, whose target height stands in 76-79.
    void HorizontalAngle(std::string_view line, bool opens) {
        if (!JoinSet(line, opens, m_angleSet)) return;
        const double targetHeight = Scaled(line, 76, 4, 0.01);
        const double angle = Scaled(line, 64, 8, 1e-5);
        m_converter.m_recordComment = opens ? "!B-File Record Type 30" : "!B-File Record Type 32";
        m_converter.WriteHorCompact(Station(line, 11), Station(line, 72), Station(line, 51),
                                    angle, 0.0, kAbsent, kAbsent, kAbsent, kAbsent,
                                    m_angleSet.instrumentHeight, targetHeight, m_out, m_result);
        NoteWritten();
    }

    /// "*40*" opens a vertical-angle set, "*42*" continues it. Code E (elevation angle) and
    /// D (depression angle) turn the vertical angle into a zenith angle; any other code keeps it.
    void VerticalAngle(std::string_view line, bool opens) {
        if (!JoinSet(line, opens, m_verticalSet)) return;
        const double targetHeight = Scaled(line, 55, 4, 0.01);
        double zenith = Scaled(line, 64, 8, 1e-5);
        const double sd = Scaled(line, 73, 4, 0.01);
        switch (UpperCodeAt(line, 72)) {
            case 'E': zenith = RadiansToDms(DmsToRadians(90.0) - DmsToRadians(zenith)); break;
            case 'D': zenith = RadiansToDms(DmsToRadians(zenith) + DmsToRadians(90.0)); break;
            default: break;
        }
        m_converter.m_recordComment = opens ? "!B-File Record Type 40" : "!B-File Record Type 42";
        m_converter.WriteAzCompact(Station(line, 11), Station(line, 51), kAbsent, kAbsent,
                                   zenith, sd, kAbsent, kAbsent, m_verticalSet.instrumentHeight,
                                   targetHeight, m_out, m_result);
        NoteWritten();
    }

    /// "*45*": a levelled height difference, weighted by the first of its standard deviation,
    /// its number of setups and its distance that is given.
    void HeightDifference(std::string_view line) {
        const double heightDiff = Scaled(line, 64, 9, 0.0001);
        double weight = Scaled(line, 73, 4, 1e-5);
        const char* comment = "!B-File Record Type 45 (Stand Dev Weighted)";
        if (!(weight > 0.0)) {
            weight = static_cast<double>(Integer(line, 36, 3));
            comment = "!B-File Record Type 45 (Num Setups Weighted)";
        }
        if (!(weight > 0.0)) {
            weight = static_cast<double>(Integer(line, 77, 4) * 10);
            comment = "!B-File Record Type 45 (Distance Weighted)";
        }
        if (!(weight > 0.0)) {
            weight = 1.0;
            comment = "!B-File Record Type 45 (Unknown Weighted)";
        }
        m_converter.m_recordComment = comment;
        m_converter.WriteHgtDiffCompact(Station(line, 11), Station(line, 51), heightDiff, weight,
                                        m_out, m_result);
        NoteWritten();
    }

    /// "*50*" to "*54*": distances, stations in 11-14 and 46-49. The code letter decides the
    /// kind of distance and so the writer; an unselected code skips the record.
    void Distance(std::string_view line, int type) {
        double distance = 0.0;
        double sd = 0.0;
        char code = ' ';
        if (type <= 52) {
            // Distance with a constant and a proportional (parts per million) standard deviation.
            distance = Scaled(line, 64, 9, 0.0001);
            const double constant = Scaled(line, 74, 3, 0.0001);
            const double ppm = Scaled(line, 77, 4, 0.1);
            sd = constant + ppm * 1e-6 * distance;
            code = type == 50 ? CodeAt(line, 73) : UpperCodeAt(line, 73);
        } else {
            distance = Scaled(line, 64, 10, 0.001);
            sd = Combined(Scaled(line, 75, 3, 0.01), Scaled(line, 78, 3, 0.01));
            code = UpperCodeAt(line, 74);
        }
        const bool withHeights = type == 50 || type == 51 || type == 53;
        const double instrumentHeight = withHeights ? Scaled(line, 26, 4, 0.01) : 0.0;
        const double targetHeight = withHeights ? Scaled(line, 50, 4, 0.01) : 0.0;

        enum class Writer { kNone, kAz, kBear, kSurf } writer = Writer::kNone;
        const char* comment = nullptr;
        switch (type) {
            case 50:
                if (code == 'S') {
                    writer = Writer::kAz;
                    comment = "!B-File Record Type 50(S)";
                } else if (code == 'H') {
                    writer = Writer::kBear;
                    comment = "!B-File Record Type 50(H)";
                } else if (code == 'T') {
                    writer = Writer::kBear;
                    comment = "!B-File Record Type 50(T)";
                }
                break;
            case 51:
            case 53:
                if (code == 'S') {
                    writer = Writer::kAz;
                    comment = type == 51 ? "!B-File Record Type 51(S)"
                                         : "!B-File Record Type 53(S)";
                }
                break;
            default:  // 52, 54
                if (code == 'E') {
                    writer = Writer::kSurf;
                    comment = type == 52 ? "!B-File Record Type 52(E)"
                                         : "!B-File Record Type 54(E)";
                } else if (code == 'X') {
                    writer = Writer::kAz;
                    comment = type == 52 ? "!B-File Record Type 52(X)"
                                         : "!B-File Record Type 54(X)";
                }
                break;
        }
        if (writer == Writer::kNone) {
            NoteSkipped(SkipReason::kCodeSelectsNothing);
            return;
        }

        m_converter.m_recordComment = comment;
        const std::string_view from = Station(line, 11);
        const std::string_view to = Station(line, 46);
        switch (writer) {
            case Writer::kAz:
                m_converter.WriteAzCompact(from, to, kAbsent, kAbsent, kAbsent, kAbsent, distance,
                                           sd, instrumentHeight, targetHeight, m_out, m_result);
                break;
            case Writer::kBear:
                m_converter.WriteBearCompact(from, to, kAbsent, kAbsent, distance, sd, m_out,
                                             m_result);
                break;
            case Writer::kSurf:
                m_converter.WriteSurfCompact(from, to, kAbsent, kAbsent, distance, sd, m_out,
                                             m_result);
                break;
            case Writer::kNone:
                break;
        }
        NoteWritten();
    }

    /// "*60*" (with heights and two standard deviations) and "*61*" azimuths. Code S reverses
    /// the azimuth by 180 degrees, folded back below 360 only when it passes 360.
    void Azimuth(std::string_view line, bool withHeights) {
        double azimuth = Scaled(line, 64, 8, 1e-5);
        if (UpperCodeAt(line, 72) == 'S') {
            azimuth += 180.0;
            if (azimuth > 360.0) azimuth -= 360.0;
        }
        if (withHeights) {
            const double sd = Combined(Scaled(line, 73, 4, 0.01), Scaled(line, 77, 4, 0.01));
            m_converter.m_recordComment = "!B-File Record Type 60";
            m_converter.WriteAzCompact(Station(line, 11), Station(line, 51), azimuth, sd,
                                       kAbsent, kAbsent, kAbsent, kAbsent,
                                       Scaled(line, 36, 4, 0.01), Scaled(line, 55, 4, 0.01),
                                       m_out, m_result);
        } else {
            m_converter.m_recordComment = "!B-File Record Type 61";
            m_converter.WriteSurfCompact(Station(line, 11), Station(line, 51), azimuth, 0.0,
                                         kAbsent, kAbsent, m_out, m_result);
        }
        NoteWritten();
    }

    BlueBookConverter& m_converter;
    ConversionReport* const m_report;  // null: no account is kept
    OutputFile& m_out;
    int& m_result;
    // The record being converted, for the account.
    std::string_view m_line;
    int m_lineNumber = 0;
    int m_slot = 0;
    bool m_datumSeen = false;  // the first "*13*" was accounted for by the datum pass
    ObservationSet m_directionSet;
    ObservationSet m_angleSet;
    ObservationSet m_verticalSet;
};

}  // namespace

void ConvertBFileObservations(BlueBookConverter& converter, InputFile& bFile, OutputFile& out,
                              int& lineCounter, int& result) {
    ObservationPass pass(converter, out, result);
    std::string line;
    line.reserve(kMaxLineLength);
    while (result == 0) {
        ReadDataLine(bFile, line, lineCounter, result);
        if (result > 0) {
            result = kMsgReadError;
            return;
        }
        if (line.empty()) return;
        pass.Convert(line, lineCounter);
    }
}
