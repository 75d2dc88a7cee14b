// The B-file observation pass: directions ("*20*", "*22*"), horizontal angles ("*30*", "*32*"),
// vertical angles ("*40*", "*42*"), height differences ("*45*"), distances ("*50*" to "*54*")
// and azimuths ("*60*", "*61*"), handed on in file order. Values carry implied decimals and are
// scaled here; a value the record does not carry is kAbsent.
#include <string_view>

#include "bluebook/BFile.h"
#include "bluebook/Fields.h"
#include "bluebook/RecordLine.h"
#include "common/Angles.h"

namespace {

// Fields every observation record shares.
constexpr Field kFromStation{11, 4};  // the instrument's station
constexpr Field kSetNumber{15, 2};
constexpr ScaledField kInstrumentHeight{36, 4, 0.01};
constexpr Field kToStation{51, 4};
constexpr ScaledField kTargetHeight{55, 4, 0.01};

// "*20*", "*22*": direction and two standard deviations, combined.
constexpr ScaledField kDirection{64, 9, 1e-6, kPackedAngle};
constexpr ScaledField kDirectionSdA{73, 4, 0.01};
constexpr ScaledField kDirectionSdB{77, 4, 0.01};
// "*30*", "*32*": the angle from the backsight (72-75, its target height in 76-79) to 51-54.
constexpr ScaledField kAngle{64, 8, 1e-5, kPackedAngle};
constexpr Field kBacksightStation{72, 4};
constexpr ScaledField kBacksightHeight{76, 4, 0.01};
// "*40*", "*42*": vertical angle, code letter, standard deviation.
constexpr ScaledField kVerticalAngle{64, 8, 1e-5, kPackedAngle};
constexpr int kVerticalCode = 72;  // E: elevation angle, D: depression angle
constexpr ScaledField kVerticalSd{73, 4, 0.01};
// "*45*": height difference, then its weight: standard deviation, setups or distance.
constexpr ScaledField kHeightDiff{64, 9, 0.0001};
constexpr ScaledField kHeightDiffSd{73, 4, 1e-5};
constexpr Field kSetups{36, 3};
constexpr Field kLevelDistance{77, 4};  // tens of metres
// "*50*" to "*52*": distance, code, constant and proportional (ppm) standard deviation.
constexpr Field kDistanceToStation{46, 4};
constexpr ScaledField kDistanceInstrumentHeight{26, 4, 0.01};
constexpr ScaledField kDistanceTargetHeight{50, 4, 0.01};
constexpr ScaledField kDistance{64, 9, 0.0001};
constexpr int kDistanceCode = 73;
constexpr ScaledField kDistanceConstant{74, 3, 0.0001};
constexpr ScaledField kDistancePpm{77, 4, 0.1};
// "*53*", "*54*": distance in millimetres, code, two standard deviations, combined.
constexpr ScaledField kLongDistance{64, 10, 0.001};
constexpr int kLongDistanceCode = 74;
constexpr ScaledField kLongDistanceSdA{75, 3, 0.01};
constexpr ScaledField kLongDistanceSdB{78, 3, 0.01};
// "*60*", "*61*": azimuth, code (S: reversed), "*60*" two standard deviations.
constexpr ScaledField kAzimuth{64, 8, 1e-5, kPackedAngle};
constexpr int kAzimuthCode = 72;
constexpr ScaledField kAzimuthSdA{73, 4, 0.01};
constexpr ScaledField kAzimuthSdB{77, 4, 0.01};

/// The number and instrument height of the set a "*20*", "*30*" or "*40*" record opened; the
/// continuation records "*22*", "*32*", "*42*" of the same set borrow the height.
struct ObservationSet {
    int number = 0;
    double instrumentHeight = 0.0;
};

/// The square root of a^2 + b^2 for the two standard deviations of a record.
double Combined(double a, double b) { return SquareRoot(a * a + b * b); }

/// Whether a distance record's code letter selects a kind of distance.
bool DistanceCodeSelects(int type, char code) {
    switch (type) {
        case 50: return code == 'S' || code == 'H' || code == 'T';
        case 51:
        case 53: return code == 'S';
        default: return code == 'E' || code == 'X';  // 52, 54
    }
}

/// One pass over the observation records, with the set memory of the three set families.
class ObservationPass {
public:
    explicit ObservationPass(BFilePass& pass) : m_pass(pass), m_receiver(pass.Receiver()) {}

    /// Converts or skips one record.
    int Read(std::string_view text) {
        bool asWritten = false;
        const std::string_view line = m_pass.Take(text, asWritten, m_type);
        RecordFields f(line, m_pass.GetReading());
        if (asWritten) f.Found().Add(Finding::kReadAsWritten);
        m_at = m_pass.At(line);
        if (m_type == nullptr || !ReadIn(*m_type, BFilePassOf::kObservation)) {
            OtherRecord(line);
            return 0;
        }
        switch (m_type->record) {
            case BFileRecord::kDirection: return Direction(f);
            case BFileRecord::kHorizontalAngle: return HorizontalAngle(f);
            case BFileRecord::kVerticalAngle: return VerticalAngle(f);
            case BFileRecord::kHeightDifference: return HeightDifference(f);
            case BFileRecord::kDistance: return Distance(f, m_type->number);
            case BFileRecord::kAzimuth: return Azimuth(f, m_type->number == 60);
            case BFileRecord::kStationId: return StationId(f);
            default: return 0;  // read in the first pass only
        }
    }

private:
    /// The record read from `f`, with everything found about it.
    RecordRef Record(RecordFields& f) { return m_pass.Record(f, m_type->rejectable); }

    /// "*25*" in the NGS reading: its station ID named the serial number's stations.
    int StationId(RecordFields& f) {
        if (f.IsBlank(k25SerialNumber) || f.IsBlank(k25StationId)) {
            m_receiver.Skipped(m_at, SkipReason::kBlankStationId);
            return 0;
        }
        StationIdRecord r;
        r.serialNumber = f.Text(k25SerialNumber);
        r.stationId = f.Text(k25StationId);
        r.at = Record(f);
        return m_receiver.StationId(r);
    }

    /// A record the observation pass does not read: the datum and station records belong to
    /// the first pass, except datum records after the first.
    void OtherRecord(std::string_view line) {
        if (m_type != nullptr && m_type->record == BFileRecord::kDatum) {
            if (m_datumSeen) m_receiver.Skipped(m_at, SkipReason::kLaterDatum);
            m_datumSeen = true;
            return;
        }
        if (m_type != nullptr) return;
        if (line.size() >= 4 && line[0] == '*' && line[3] == '*') {
            // The marker stands at column 1: the sequence number columns were blank.
            m_at.type = line.substr(0, 4);
            m_at.findings.Add(Finding::kTypeAtColumn1);
            m_receiver.Skipped(m_at, SkipReason::kTypeAtColumn1);
            return;
        }
        m_receiver.Skipped(m_at, SkipReason::kUnsupportedType);
    }

    std::string_view Station(RecordFields& f, Field field) { return m_pass.Station(f, field); }

    /// Opens `set` with the record's number and instrument height, or, for a continuation,
    /// checks that the record belongs to it. False when the record is skipped.
    bool JoinSet(RecordFields& f, ObservationSet& set) {
        const int number = f.Int(kSetNumber);
        if (m_type->opensSet) {
            set.number = number;
            set.instrumentHeight = f.Real(kInstrumentHeight);
            return true;
        }
        if (number == set.number) return true;
        m_receiver.Skipped(m_at, SkipReason::kOtherSet);
        return false;
    }

    int Direction(RecordFields& f) {
        if (!JoinSet(f, m_directionSet)) return 0;
        DirectionRecord r;
        r.setNumber = m_directionSet.number;
        r.instrumentHeight = m_directionSet.instrumentHeight;
        r.targetHeight = f.Real(kTargetHeight);
        r.direction = f.Real(kDirection);
        r.directionSd = Combined(f.Real(kDirectionSdA), f.Real(kDirectionSdB));
        r.fromStation = Station(f, kFromStation);
        r.toStation = Station(f, kToStation);
        f.CheckFinite({r.direction, r.directionSd, r.instrumentHeight, r.targetHeight});
        r.at = Record(f);
        return m_receiver.Direction(r);
    }

    int HorizontalAngle(RecordFields& f) {
        if (!JoinSet(f, m_angleSet)) return 0;
        HorizontalAngleRecord r;
        r.instrumentHeight = m_angleSet.instrumentHeight;
        r.targetHeight = f.Real(kBacksightHeight);
        r.angle = f.Real(kAngle);
        r.atStation = Station(f, kFromStation);
        r.backsightStation = Station(f, kBacksightStation);
        r.foresightStation = Station(f, kToStation);
        f.CheckFinite({r.angle, r.instrumentHeight, r.targetHeight});
        r.at = Record(f);
        return m_receiver.HorizontalAngle(r);
    }

    /// Code E (elevation angle) and D (depression angle) turn the vertical angle into a zenith
    /// angle; any other code keeps it.
    int VerticalAngle(RecordFields& f) {
        if (!JoinSet(f, m_verticalSet)) return 0;
        VerticalAngleRecord r;
        r.instrumentHeight = m_verticalSet.instrumentHeight;
        r.targetHeight = f.Real(kTargetHeight);
        r.zenith = f.Real(kVerticalAngle);
        r.zenithSd = f.Real(kVerticalSd);
        switch (f.UpperLetter(kVerticalCode)) {
            case 'E': r.zenith = RadiansToDms(DmsToRadians(90.0) - DmsToRadians(r.zenith)); break;
            case 'D': r.zenith = RadiansToDms(DmsToRadians(r.zenith) + DmsToRadians(90.0)); break;
            default: break;
        }
        r.fromStation = Station(f, kFromStation);
        r.toStation = Station(f, kToStation);
        f.CheckFinite({r.zenith, r.zenithSd, r.instrumentHeight, r.targetHeight});
        r.at = Record(f);
        return m_receiver.VerticalAngle(r);
    }

    /// Weighted by the first of its standard deviation, number of setups and distance given.
    int HeightDifference(RecordFields& f) {
        HeightDifferenceRecord r;
        r.heightDiff = f.Real(kHeightDiff);
        r.weight = f.Real(kHeightDiffSd);
        if (!(r.weight > 0.0)) {
            r.weight = static_cast<double>(f.Int(kSetups));
            r.weighting = Weighting::kSetups;
        }
        if (!(r.weight > 0.0)) {
            r.weight = static_cast<double>(f.Int(kLevelDistance) * 10);
            r.weighting = Weighting::kDistance;
        }
        if (!(r.weight > 0.0)) {
            r.weight = 1.0;
            r.weighting = Weighting::kUnknown;
        }
        r.fromStation = Station(f, kFromStation);
        r.toStation = Station(f, kToStation);
        f.CheckFinite({r.heightDiff, r.weight});
        r.at = Record(f);
        return m_receiver.HeightDifference(r);
    }

    /// "*50*" to "*54*": the code letter decides the kind of distance; an unselected code skips
    /// the record. "*50*" takes its letters in upper case only.
    int Distance(RecordFields& f, int type) {
        DistanceRecord r;
        r.recordType = type;
        if (type <= 52) {
            r.distance = f.Real(kDistance);
            const double constant = f.Real(kDistanceConstant);
            const double ppm = f.Real(kDistancePpm);
            r.distanceSd = constant + ppm * 1e-6 * r.distance;
            r.code = type == 50 ? f.Letter(kDistanceCode) : f.UpperLetter(kDistanceCode);
        } else {
            r.distance = f.Real(kLongDistance);
            r.distanceSd = Combined(f.Real(kLongDistanceSdA), f.Real(kLongDistanceSdB));
            r.code = f.UpperLetter(kLongDistanceCode);
        }
        if (type == 50 || type == 51 || type == 53) {
            r.instrumentHeight = f.Real(kDistanceInstrumentHeight);
            r.targetHeight = f.Real(kDistanceTargetHeight);
        }
        if (!DistanceCodeSelects(type, r.code)) {
            m_receiver.Skipped(m_at, SkipReason::kCodeSelectsNothing);
            return 0;
        }
        r.fromStation = Station(f, kFromStation);
        r.toStation = Station(f, kDistanceToStation);
        f.CheckFinite({r.distance, r.distanceSd, r.instrumentHeight, r.targetHeight});
        r.at = Record(f);
        return m_receiver.Distance(r);
    }

    /// Code S reverses the azimuth by 180 degrees, folded back only when it passes 360.
    int Azimuth(RecordFields& f, bool withHeights) {
        AzimuthRecord r;
        r.withHeights = withHeights;
        r.azimuth = f.Real(kAzimuth);
        if (f.UpperLetter(kAzimuthCode) == 'S') {
            r.azimuth += 180.0;
            if (r.azimuth > 360.0) r.azimuth -= 360.0;
        }
        if (withHeights) {
            r.azimuthSd = Combined(f.Real(kAzimuthSdA), f.Real(kAzimuthSdB));
            r.instrumentHeight = f.Real(kInstrumentHeight);
            r.targetHeight = f.Real(kTargetHeight);
        }
        r.fromStation = Station(f, kFromStation);
        r.toStation = Station(f, kToStation);
        f.CheckFinite({r.azimuth, r.azimuthSd, r.instrumentHeight, r.targetHeight});
        r.at = Record(f);
        return m_receiver.Azimuth(r);
    }

    BFilePass& m_pass;
    BlueBookReceiver& m_receiver;
    RecordRef m_at{BlueBookFile::kBFile, 0, {}};  // the record being read, for a skip
    const BFileType* m_type = nullptr;            // its type
    bool m_datumSeen = false;  // the first "*13*" belongs to the datum pass
    ObservationSet m_directionSet;
    ObservationSet m_angleSet;
    ObservationSet m_verticalSet;
};

}  // namespace

int ReadBFileObservations(BFilePass& pass, long long& lines) {
    ObservationPass observations(pass);
    return ForEachDataLine(pass.In(), pass.LineCounter(), [&](std::string_view line) {
        ++lines;
        return observations.Read(line);
    });
}
