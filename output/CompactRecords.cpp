// The compact records of the TELLURAX input file. Each record is an empty line, the record
// comment, and one line made of the keyword and its fields, each field as "; " and its text:
//
//   <CR LF><comment><CR LF>$HGTDIFF_COMPACT; A; B; 1.23450; 0.00100<CR LF>
//
// A record is built at the end of the text the file has still to write, and handed to it whole;
// the stream's error indicator is tested after it.
#include <cmath>
#include <cstddef>
#include <string>
#include <string_view>

#include "output/CompactRecords.h"

#include "common/ResultCodes.h"
#include "output/NumberFormat.h"

namespace {

// Decimals by kind of value.
constexpr int kAngleDecimals = 6;       // packed DMS observations
constexpr int kAngleSdDecimals = 3;     // seconds of arc
constexpr int kLengthDecimals = 5;      // distances, heights, height differences, metres
constexpr int kCartDecimals = 5;        // Cartesian coordinates, metres
constexpr int kCartSdDecimals = 7;      // their standard deviations, metres
constexpr int kLatLonDecimals = 9;      // packed DMS latitude and longitude
constexpr int kGeoDecimals = 4;         // heights and deflections of a $GEO_COMPACT line
constexpr int kGpsComponentDecimals = 5;
constexpr int kGpsCovarianceDecimals = 12;

/// The standard deviation written after every position and height of a $GEO_COMPACT line.
constexpr double kGeoFixedSd = 1.0e-7;
constexpr int kGeoFixedSdDecimals = 7;

/// A record being built, at the end of the text the file has still to write.
struct RecordText {
    TextBuffer& text;
    bool marksNotFinite;  // a value that is not finite is written "(not finite)"

    RecordText& operator+=(std::string_view more) {
        text += more;
        return *this;
    }
    RecordText& operator+=(char c) {
        text += c;
        return *this;
    }
};

/// Starts a record: line end, comment (one blank when empty), line end, keyword ("!" first when
/// the record is commented out).
RecordText BeginRecord(OutputFile& out, const RecordComment& comment, const char* keyword) {
    RecordText line{out.Pending(), comment.notFinite};
    line += "\r\n";
    if (comment.text.empty()) {
        line += ' ';
    } else {
        line += comment.text;
    }
    line += "\r\n";
    if (comment.disabled) line += '!';
    line += keyword;
    return line;
}

void AddName(RecordText& line, std::string_view name) {
    line += "; ";
    line += name;
}

void AddReal(RecordText& line, double value, int decimals) {
    line += "; ";
    if (line.marksNotFinite && !std::isfinite(value)) {
        line += "(not finite)";
        return;
    }
    AppendFixed(line.text, value, decimals);
}

/// An observation and its standard deviation; "NOOBS" twice when the observation is below 0.
void AddPair(RecordText& line, double value, int decimals, double sd, int sdDecimals) {
    if (value < 0.0) {
        line += "; NOOBS; NOOBS";
        return;
    }
    AddReal(line, value, decimals);
    AddReal(line, sd, sdDecimals);
}

/// Ends the data line, hands the record to the file and sets `result` to 1517 when the stream
/// failed.
void FinishRecord(RecordText& line, OutputFile& out, int& result) {
    line += "\r\n";
    out.RecordWritten();
    if (out.HasError()) result = kMsgWriteError;
}

}  // namespace

void WriteCartCompact(RecordComment comment, std::string_view station, double x, double y, double z,
                                         double sdX, double sdY, double sdZ, OutputFile& out,
                                         int& result) {
    RecordText line = BeginRecord(out, comment, "$CART_COMPACT");
    AddName(line, station);
    AddReal(line, x, kCartDecimals);
    AddReal(line, sdX, kCartSdDecimals);
    AddReal(line, y, kCartDecimals);
    AddReal(line, sdY, kCartSdDecimals);
    AddReal(line, z, kCartDecimals);
    AddReal(line, sdZ, kCartSdDecimals);
    FinishRecord(line, out, result);
}

void WriteGeoCompact(RecordComment comment, std::string_view station, double latitude,
                                        double longitude, double orthoHeight,
                                        double geoidHeight, double ellipsoidHeight, double xi,
                                        double xiSd, double eta, double etaSd, OutputFile& out,
                                        int& result) {
    RecordText line = BeginRecord(out, comment, "$GEO_COMPACT");
    AddName(line, station);
    AddReal(line, latitude, kLatLonDecimals);
    AddReal(line, kGeoFixedSd, kGeoFixedSdDecimals);
    AddReal(line, longitude, kLatLonDecimals);
    AddReal(line, kGeoFixedSd, kGeoFixedSdDecimals);
    AddReal(line, orthoHeight, kGeoDecimals);
    AddReal(line, kGeoFixedSd, kGeoFixedSdDecimals);
    AddReal(line, geoidHeight, kGeoDecimals);
    AddReal(line, kGeoFixedSd, kGeoFixedSdDecimals);
    AddReal(line, ellipsoidHeight, kGeoDecimals);
    AddReal(line, kGeoFixedSd, kGeoFixedSdDecimals);
    AddReal(line, xi, kGeoDecimals);
    AddReal(line, xiSd, kGeoDecimals);
    AddReal(line, eta, kGeoDecimals);
    AddReal(line, etaSd, kGeoDecimals);
    FinishRecord(line, out, result);
}

void WriteHgtDiffCompact(RecordComment comment, std::string_view fromStation,
                                            std::string_view toStation, double heightDiff,
                                            double heightDiffSd, OutputFile& out, int& result) {
    RecordText line = BeginRecord(out, comment, "$HGTDIFF_COMPACT");
    AddName(line, fromStation);
    AddName(line, toStation);
    AddReal(line, heightDiff, kLengthDecimals);
    AddReal(line, heightDiffSd, kLengthDecimals);
    FinishRecord(line, out, result);
}

void WriteAzCompact(RecordComment comment, std::string_view fromStation, std::string_view toStation,
                                       double azimuth, double azimuthSd, double zenith,
                                       double zenithSd, double distance, double distanceSd,
                                       double instrumentHeight, double targetHeight,
                                       OutputFile& out, int& result) {
    RecordText line = BeginRecord(out, comment, "$AZ_COMPACT");
    AddName(line, fromStation);
    AddName(line, toStation);
    AddPair(line, azimuth, kAngleDecimals, azimuthSd, kAngleSdDecimals);
    AddPair(line, zenith, kAngleDecimals, zenithSd, kAngleSdDecimals);
    AddPair(line, distance, kLengthDecimals, distanceSd, kLengthDecimals);
    AddReal(line, instrumentHeight, kLengthDecimals);
    AddReal(line, targetHeight, kLengthDecimals);
    FinishRecord(line, out, result);
}

void WriteHorCompact(RecordComment comment, std::string_view atStation,
                                        std::string_view backsightStation,
                                        std::string_view foresightStation, double angle,
                                        double angleSd, double zenith, double zenithSd,
                                        double distance, double distanceSd,
                                        double instrumentHeight, double targetHeight,
                                        OutputFile& out, int& result) {
    RecordText line = BeginRecord(out, comment, "$HOR_COMPACT");
    AddName(line, atStation);
    AddName(line, backsightStation);
    AddName(line, foresightStation);
    AddPair(line, angle, kAngleDecimals, angleSd, kAngleSdDecimals);
    AddPair(line, zenith, kAngleDecimals, zenithSd, kAngleSdDecimals);
    AddPair(line, distance, kLengthDecimals, distanceSd, kLengthDecimals);
    AddReal(line, instrumentHeight, kLengthDecimals);
    AddReal(line, targetHeight, kLengthDecimals);
    FinishRecord(line, out, result);
}

void WriteDirCompact(RecordComment comment, std::string_view fromStation, std::string_view toStation,
                                        double direction, double directionSd, double zenith,
                                        double zenithSd, double distance, double distanceSd,
                                        double instrumentHeight, double targetHeight,
                                        int setNumber, OutputFile& out, int& result) {
    RecordText line = BeginRecord(out, comment, "$DIR_COMPACT");
    AddName(line, fromStation);
    AddName(line, toStation);
    AddPair(line, direction, kAngleDecimals, directionSd, kAngleSdDecimals);
    AddPair(line, zenith, kAngleDecimals, zenithSd, kAngleSdDecimals);
    AddPair(line, distance, kLengthDecimals, distanceSd, kLengthDecimals);
    AddReal(line, instrumentHeight, kLengthDecimals);
    AddReal(line, targetHeight, kLengthDecimals);
    line += "; ";
    AppendInt(line.text, setNumber);
    FinishRecord(line, out, result);
}

void WriteBearCompact(RecordComment comment, std::string_view fromStation,
                                         std::string_view toStation, double bearing,
                                         double bearingSd, double distance, double distanceSd,
                                         OutputFile& out, int& result) {
    RecordText line = BeginRecord(out, comment, "$BEAR_COMPACT");
    AddName(line, fromStation);
    AddName(line, toStation);
    AddPair(line, bearing, kAngleDecimals, bearingSd, kAngleSdDecimals);
    AddName(line, "NW");  // the quadrant: bearings are always taken as north-west
    AddPair(line, distance, kLengthDecimals, distanceSd, kLengthDecimals);
    FinishRecord(line, out, result);
}

void WriteSurfCompact(RecordComment comment, std::string_view fromStation,
                                         std::string_view toStation, double angle,
                                         double angleSd, double distance, double distanceSd,
                                         OutputFile& out, int& result) {
    RecordText line = BeginRecord(out, comment, "$SURF_COMPACT");
    AddName(line, fromStation);
    AddName(line, toStation);
    AddPair(line, angle, kAngleDecimals, angleSd, kAngleSdDecimals);
    AddPair(line, distance, kLengthDecimals, distanceSd, kLengthDecimals);
    FinishRecord(line, out, result);
}

void WriteGpsVector(RecordComment comment, int k, const GpsVector* vectors, const double* matrix,
                    bool offDiagonalIsCovariance, OutputFile& out, int& result) {
    if (k < 0 || k >= kMaxVectors || vectors == nullptr || matrix == nullptr) return;
    const GpsVector& vector = vectors[k];
    const VectorCovariance c = CovarianceOf(k, matrix, offDiagonalIsCovariance);
    RecordText line = BeginRecord(out, comment, "$GPS_COMPACT");
    AddName(line, vector.fromStation);
    AddName(line, vector.toStation);
    AddReal(line, vector.dx, kGpsComponentDecimals);
    AddReal(line, vector.dy, kGpsComponentDecimals);
    AddReal(line, vector.dz, kGpsComponentDecimals);
    AddReal(line, c.xx, kGpsCovarianceDecimals);
    AddReal(line, c.xy, kGpsCovarianceDecimals);
    AddReal(line, c.yy, kGpsCovarianceDecimals);
    AddReal(line, c.xz, kGpsCovarianceDecimals);
    AddReal(line, c.yz, kGpsCovarianceDecimals);
    AddReal(line, c.zz, kGpsCovarianceDecimals);
    FinishRecord(line, out, result);
}

void WriteGpsCompact(RecordComment comment, int count, const GpsVector* vectors,
                     const double* matrix, bool offDiagonalIsCovariance, OutputFile& out,
                     int& result) {
    if (count <= 0 || vectors == nullptr || matrix == nullptr) return;
    // The matrix holds kMaxVectors vectors; a larger count would read past it.
    if (count > kMaxVectors) count = kMaxVectors;
    for (int k = 0; k < count; ++k) {
        WriteGpsVector(comment, k, vectors, matrix, offDiagonalIsCovariance, out, result);
        if (out.HasError()) return;
    }
}
