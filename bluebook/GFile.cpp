// The G-file: GPS vector sets with their correlations or covariances, and station positions.
//
// The record type is the first character of a line (upper case only; every other character,
// lower-case letters included, selects nothing):
//   B  starts a vector set: the vector count (columns 26-27) and an empty table and matrix;
//   C  one vector: stations, components and their standard deviations, two station overrides;
//   F  one vector with wider component fields, no overrides;
//   D  up to five correlation terms (row, column, value); E up to four covariance terms;
//   G  one station position, written at once as "$CART_COMPACT".
// A vector set is written ("$GPS_COMPACT", one record per vector) when a D or E line ends with
// the set's closing term (3n - 1, 3n), the last term of the upper triangle of its 3n x 3n block.
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "bluebook/InputFile.h"
#include "bluebook/RecordLine.h"
#include "bluebook/ReportedFields.h"
#include "convert/BlueBookConverter.h"
#include "convert/ConversionReport.h"
#include "convert/Messages.h"
#include "output/CompactRecords.h"
#include "output/OutputFile.h"

namespace {

// Implied decimals of the G-file fields.
constexpr double kComponentFactor = 0.0001;     // C, F: components and their SDs; G: X, Y, Z
constexpr double kPositionSdFactor = 0.01;      // G: standard deviations
constexpr double kTermFactor = 0.0000001;       // D: correlations; E: covariances

/// A term of a D or E record: row (width 3) at `column`, its column (width 3) three columns
/// further, its value three further again.
constexpr int kTermIndexWidth = 3;
constexpr int kDTermColumns[] = {2, 17, 32, 47, 62};
constexpr int kDValueWidth = 9;
constexpr int kETermColumns[] = {2, 20, 38, 56};
constexpr int kEValueWidth = 12;

/// Column and width of one fixed field, 1-based as the record layouts print them.
struct Field {
    int column;
    int width;
};

/// The fields of a vector record; C and F differ only in where the numbers stand.
struct VectorLayout {
    Field fromStation, toStation, dx, sdX, dy, sdY, dz, sdZ;
};
constexpr VectorLayout kCLayout{{2, 4},  {6, 4},  {10, 11}, {21, 5},
                                {26, 11}, {37, 5}, {42, 11}, {53, 5}};
constexpr VectorLayout kFLayout{{2, 4},  {6, 4},  {10, 13}, {23, 5},
                                {28, 13}, {41, 5}, {46, 13}, {59, 5}};
constexpr Field kCFromOverride{65, 4};
constexpr Field kCToOverride{75, 4};
constexpr Field kVectorCount{26, 2};

// Record G.
constexpr Field kGStation{6, 4};
constexpr Field kGX{22, 12}, kGY{35, 12}, kGZ{48, 12};
constexpr Field kGSdX{61, 4}, kGSdY{66, 4}, kGSdZ{71, 4};

double Real(ConversionReport* report, std::string_view line, Field f) {
    return ReportedReal(report, line, f.column, f.width);
}

/// The vector table and matrix of one vector set, allocated once per G-file. Only what was
/// stored since the last Clear is cleared again, so that the many B records of a large G-file
/// do not each wipe the whole matrix; the result equals a full clear.
class VectorSet {
public:
    VectorSet()
        : m_vectors(kMaxVectors),
          m_matrix(static_cast<std::size_t>(kMatrixRowLength) * kMatrixRowLength, 0.0) {}

    void Clear() {
        for (int j = 0; j < m_usedVectors; ++j) {
            GpsVector& v = m_vectors[static_cast<std::size_t>(j)];
            v.fromStation.clear();
            v.toStation.clear();
            v.dx = v.dy = v.dz = 0.0;
        }
        for (int row = 0; row < m_usedRows; ++row) {
            double* first = m_matrix.data() + static_cast<std::size_t>(row) * kMatrixRowLength;
            std::fill(first, first + m_usedColumns, 0.0);
        }
        m_usedVectors = m_usedRows = m_usedColumns = 0;
    }

    /// Vector `j` (1-based, 1 to kMaxVectors).
    GpsVector& Vector(int j) {
        m_usedVectors = std::max(m_usedVectors, j);
        return m_vectors[static_cast<std::size_t>(j - 1)];
    }

    /// Stores `value` at (row, column), 1-based; false (nothing stored) when either lies
    /// outside the matrix.
    bool Store(int row, int column, double value) {
        if (row < 1 || column < 1 || row > kMatrixRowLength || column > kMatrixRowLength) {
            return false;
        }
        m_usedRows = std::max(m_usedRows, row);
        m_usedColumns = std::max(m_usedColumns, column);
        m_matrix[static_cast<std::size_t>(row - 1) * kMatrixRowLength +
                 static_cast<std::size_t>(column - 1)] = value;
        return true;
    }

    const GpsVector* Vectors() const { return m_vectors.data(); }
    const double* Matrix() const { return m_matrix.data(); }

private:
    std::vector<GpsVector> m_vectors;
    VectorSetMatrix m_matrix;
    int m_usedVectors = 0;  // vectors 1 .. m_usedVectors may hold data
    int m_usedRows = 0;     // matrix rows and columns 1 .. m_used* may hold data
    int m_usedColumns = 0;
};

/// Sets `station` to the trimmed override, when the override holds anything but blanks.
void ApplyOverride(std::string_view overrideField, std::string& scratch, std::string& station) {
    scratch.assign(overrideField);
    TrimBoth(scratch);
    if (!scratch.empty()) station = scratch;
}

}  // namespace

void BlueBookConverter::ConvertGFile(InputFile& gFile, OutputFile& out, int& lineCounter,
                                     int& result) {
    lineCounter = 0;
    result = 0;
    ConversionReport* const report = m_report;
    if (report) report->StartFile(ReportFile::kGFile, m_gFilePath);
    const SerfilIndexScope serfilIndex(*this);
    VectorSet set;
    int vectorCount = 0;  // n of the last B record; 0 before the first
    int readCount = 0;    // C and F records since the last B record, counted up to kMaxVectors
    std::string line;
    std::string scratch;

    // A C or F record: fills the next vector of the set, unless the set already has its
    // kMaxVectors vectors.
    auto readVector = [&](const VectorLayout& layout, bool hasOverrides) {
        if (readCount >= kMaxVectors) {
            if (report) {
                report->RecordSkipped(ReportFile::kGFile,
                                      ConversionReport::TypeSlot(ReportFile::kGFile, line),
                                      SkipReason::kTooManyVectors, lineCounter);
            }
            return;
        }
        const int j = ++readCount;
        GpsVector& v = set.Vector(j);
        v.fromStation.assign(GetFieldStation(layout.fromStation.column, layout.fromStation.width,
                                             line));
        v.toStation.assign(GetFieldStation(layout.toStation.column, layout.toStation.width, line));
        v.dx = Real(report, line, layout.dx) * kComponentFactor;
        v.dy = Real(report, line, layout.dy) * kComponentFactor;
        v.dz = Real(report, line, layout.dz) * kComponentFactor;
        set.Store(3 * j - 2, 3 * j - 2, Real(report, line, layout.sdX) * kComponentFactor);
        set.Store(3 * j - 1, 3 * j - 1, Real(report, line, layout.sdY) * kComponentFactor);
        set.Store(3 * j, 3 * j, Real(report, line, layout.sdZ) * kComponentFactor);
        if (hasOverrides) {
            ApplyOverride(GetFieldStation(kCFromOverride.column, kCFromOverride.width, line),
                          scratch, v.fromStation);
            ApplyOverride(GetFieldStation(kCToOverride.column, kCToOverride.width, line), scratch,
                          v.toStation);
        }
        if (report) report->AddSetVector(j, line[0], lineCounter);
    };

    // A D or E record: stores its terms and writes the set when its last valid term closes it.
    // A term whose row or column lies outside the matrix is not stored but still counts as the
    // line's last term.
    auto readTerms = [&](const int* termColumns, int termCount, int valueWidth,
                         bool isCovariance, const char* comment) {
        int lastRow = 0;
        int lastColumn = 0;
        bool outside = false;
        for (int t = 0; t < termCount; ++t) {
            const int c = termColumns[t];
            const int row = ReportedInt(report, line, c, kTermIndexWidth);
            const int column = ReportedInt(report, line, c + kTermIndexWidth, kTermIndexWidth);
            if (row < 1 || column < 1) continue;
            const double value =
                ReportedReal(report, line, c + 2 * kTermIndexWidth, valueWidth) * kTermFactor;
            if (!set.Store(row, column, value)) {
                outside = true;
            }
            lastRow = row;
            lastColumn = column;
        }
        if (report && outside) {
            report->AddWarning(ReportFile::kGFile, ReportWarning::kTermOutsideMatrix, lineCounter);
        }
        // vectorCount is at most 99 (two columns), so 3n stays inside the matrix; a count of
        // 0 or below never closes, since a term's row is at least 1.
        if (vectorCount >= 1 && lastRow == 3 * vectorCount - 1 && lastColumn == 3 * vectorCount) {
            m_recordComment = comment;
            WriteGpsCompact(vectorCount, set.Vectors(), set.Matrix(), isCovariance, out, result);
            if (report && result == 0) {
                report->CloseVectorSet(vectorCount, readCount, set.Vectors(), line[0],
                                       lineCounter);
                report->vectorsWritten += vectorCount;
            }
        } else if (report) {
            report->AddSetTerms(line[0], lineCounter);
        }
    };

    for (;;) {
        ReadDataLine(gFile, line, lineCounter, result);
        if (result > 0) {
            result = kMsgReadError;
            return;
        }
        if (line.empty()) {  // end of the G-file
            if (report) {
                report->EndVectorSets();
                report->FinishFile(ReportFile::kGFile);
            }
            return;
        }
        if (report) {
            report->CountLine(ReportFile::kGFile);
            report->BeginRecord();
        }

        switch (line[0]) {
            case 'B':
                vectorCount = ReportedInt(report, line, kVectorCount.column, kVectorCount.width);
                set.Clear();
                readCount = 0;
                if (report) report->StartVectorSet(lineCounter);
                break;
            case 'C':
                readVector(kCLayout, true);
                break;
            case 'F':
                readVector(kFLayout, false);
                break;
            case 'D':
                readTerms(kDTermColumns, 5, kDValueWidth, false, "!G-File Record Type B, C, D");
                break;
            case 'E':
                readTerms(kETermColumns, 4, kEValueWidth, true, "!G-File Record Type B, C, E");
                break;
            case 'G':
                m_recordComment = "!G-File Record Type G";
                WriteCartCompact(GetFieldStation(kGStation.column, kGStation.width, line),
                                 Real(report, line, kGX) * kComponentFactor,
                                 Real(report, line, kGY) * kComponentFactor,
                                 Real(report, line, kGZ) * kComponentFactor,
                                 Real(report, line, kGSdX) * kPositionSdFactor,
                                 Real(report, line, kGSdY) * kPositionSdFactor,
                                 Real(report, line, kGSdZ) * kPositionSdFactor, out, result);
                if (report && result == 0) {
                    report->RecordConverted(ReportFile::kGFile,
                                            ConversionReport::TypeSlot(ReportFile::kGFile, line),
                                            lineCounter);
                    ++report->positionsWritten;
                }
                break;
            default:  // A, I and every other first character: nothing to convert
                if (report) {
                    report->RecordSkipped(ReportFile::kGFile,
                                          ConversionReport::TypeSlot(ReportFile::kGFile, line),
                                          SkipReason::kUnsupportedType, lineCounter);
                }
                break;
        }
        if (result > 0) {
            result = kMsgWriteError;
            return;
        }
    }
}
