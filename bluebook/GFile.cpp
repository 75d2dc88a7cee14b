// The G-file. The record type is the first character of a line (upper case only; every other
// character, lower-case letters included, selects nothing):
//   B  starts a vector set: the vector count (columns 26-27) and an empty table and matrix;
//   C  one vector: stations, components and their standard deviations, two station overrides;
//   F  one vector with wider component fields, no overrides;
//   D  up to five correlation terms (row, column, value); E up to four covariance terms;
//   G  one station position, handed on at once.
// A vector set is complete when a D or E line ends with the set's closing term (3n - 1, 3n),
// the last term of the upper triangle of its 3n x 3n block.
#include <algorithm>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "bluebook/Fields.h"
#include "bluebook/GFile.h"
#include "bluebook/RecordLine.h"
#include "common/ResultCodes.h"

namespace {

// Implied decimals of the G-file fields.
constexpr double kComponentFactor = 0.0001;  // C, F: components and their SDs; G: X, Y, Z
constexpr double kPositionSdFactor = 0.01;   // G: standard deviations
constexpr double kTermFactor = 0.0000001;    // D: correlations; E: covariances

/// The fields of a vector record; C and F differ in where the numbers and the rejection mark
/// stand.
struct VectorLayout {
    Field fromStation, toStation;
    ScaledField dx, sdX, dy, sdY, dz, sdZ;
    int rejectColumn;
};
constexpr VectorLayout kCLayout{{2, 4},
                                {6, 4},
                                {10, 11, kComponentFactor},
                                {21, 5, kComponentFactor},
                                {26, 11, kComponentFactor},
                                {37, 5, kComponentFactor},
                                {42, 11, kComponentFactor},
                                {53, 5, kComponentFactor},
                                58};
constexpr VectorLayout kFLayout{{2, 4},
                                {6, 4},
                                {10, 13, kComponentFactor},
                                {23, 5, kComponentFactor},
                                {28, 13, kComponentFactor},
                                {41, 5, kComponentFactor},
                                {46, 13, kComponentFactor},
                                {59, 5, kComponentFactor},
                                64};
constexpr Field kCFromOverride{65, 4};
constexpr Field kCToOverride{75, 4};
constexpr Field kVectorCount{26, 2};

/// The terms of a D or E record: a row (width 3) at each column, its column three columns
/// further, its value three further again.
struct TermLayout {
    const int* columns;
    int count;
    int valueWidth;
};
constexpr int kTermIndexWidth = 3;
constexpr int kDTermColumns[] = {2, 17, 32, 47, 62};
constexpr int kETermColumns[] = {2, 20, 38, 56};
constexpr TermLayout kDTerms{kDTermColumns, 5, 9};
constexpr TermLayout kETerms{kETermColumns, 4, 12};

// Record G.
constexpr Field kGStation{6, 4};
constexpr ScaledField kGX{22, 12, kComponentFactor}, kGY{35, 12, kComponentFactor},
    kGZ{48, 12, kComponentFactor};
constexpr ScaledField kGSdX{61, 4, kPositionSdFactor}, kGSdY{66, 4, kPositionSdFactor},
    kGSdZ{71, 4, kPositionSdFactor};

/// D and E lines of an open set kept one by one; beyond them only their number is kept.
constexpr std::size_t kMaxPendingTerms = 1000;

/// The vector table and matrix of one vector set, allocated once per G-file. Only what was
/// stored since the last Clear is cleared again, so that the many B records of a large G-file
/// do not each wipe the whole matrix; the result equals a full clear.
class VectorTable {
public:
    VectorTable()
        : m_vectors(kMaxVectors),
          m_matrix(static_cast<std::size_t>(kMatrixRowLength) * kMatrixRowLength, 0.0) {}

    void Clear() {
        for (int j = 0; j < m_usedVectors; ++j) m_vectors[static_cast<std::size_t>(j)] = {};
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

/// A record read into the open set, and what was found about it.
struct PendingRecord {
    int line = 0;  // 0: none
    char type = 0;
    Findings findings;
    RejectMark reject;

    /// The record, skipped: of what was found about it, only a term outside the matrix is
    /// told (the rest concerns values that are not used).
    RecordRef Skipped() const {
        RecordRef at{BlueBookFile::kGFile, line, std::string_view(&type, 1), reject};
        if (findings.Has(Finding::kTermOutsideMatrix)) {
            at.findings.Add(Finding::kTermOutsideMatrix);
        }
        return at;
    }
    SetMember Member(int vector) const { return {line, type, vector, findings}; }
};

/// Sets `station` to the trimmed override, when the override holds anything but blanks (true).
bool ApplyOverride(std::string_view overrideField, std::string& station) {
    std::size_t first = 0;
    std::size_t end = overrideField.size();
    while (first < end && IsBlank(overrideField[first])) ++first;
    while (end > first && IsBlank(overrideField[end - 1])) --end;
    if (end == first) return false;
    station.assign(overrideField.substr(first, end - first));
    return true;
}

class GFileReader {
public:
    GFileReader(StationNames& names, Reading reading, BlueBookReceiver& receiver)
        : m_names(names), m_reading(reading), m_receiver(receiver) {}

    int Read(std::string_view line, int lineNumber) {
        RecordFields f(line, m_reading);
        m_at = {BlueBookFile::kGFile, lineNumber, line.substr(0, 1)};
        switch (line[0]) {
            case 'B': StartSet(f); return 0;
            case 'C': ReadVector(f, kCLayout, true); return 0;
            case 'F': ReadVector(f, kFLayout, false); return 0;
            case 'D': return ReadTerms(f, kDTerms, false);
            case 'E': return ReadTerms(f, kETerms, true);
            case 'G': return Position(f);
            default:  // A, I and every other first character: nothing to convert
                m_receiver.Skipped(m_at, SkipReason::kUnsupportedType);
                return 0;
        }
    }

    /// The end of the file discards the open set.
    void Finish() { DiscardSet(); }

private:
    /// The station a serial-number field names; `fromStationId` tells whether its name is a
    /// "*25*" station ID (NGS reading).
    std::string_view Station(RecordFields& f, Field field, bool& fromStationId) {
        return m_names.Lookup(f.Text(field), static_cast<std::size_t>(field.width),
                              m_reading == Reading::kNgs, fromStationId);
    }
    std::string_view Station(RecordFields& f, Field field) {
        bool fromStationId = false;
        const std::string_view name = Station(f, field, fromStationId);
        if (fromStationId) f.Found().Add(Finding::kNameFromStationId);
        return name;
    }
    /// A C record's own station ID field: it may take a SERFIL name, never a "*25*" ID.
    std::string_view StationIdField(RecordFields& f, Field field) {
        return m_names.Lookup(f.Text(field), static_cast<std::size_t>(field.width));
    }

    /// A B record: discards the open set and opens a new, empty one.
    void StartSet(RecordFields& f) {
        m_vectorCount = f.Int(kVectorCount);
        // NGS's programs count the set's C and F records when the count is left blank.
        m_countVectors = m_reading == Reading::kNgs && f.IsBlank(kVectorCount);
        DiscardSet();
        m_table.Clear();
        std::fill(std::begin(m_marks), std::end(m_marks), VectorMark{});
        m_readCount = 0;
        m_seenB = true;
        m_b = {m_at.line, 'B', f.Found(), {}};
    }

    /// A C or F record fills the next vector of the set, unless the set already has its
    /// kMaxVectors vectors.
    void ReadVector(RecordFields& f, const VectorLayout& layout, bool hasOverrides) {
        if (m_readCount >= kMaxVectors) {
            m_receiver.Skipped(m_at, SkipReason::kTooManyVectors);
            return;
        }
        const int j = ++m_readCount;
        GpsVector& v = m_table.Vector(j);
        bool fromId = false;
        bool toId = false;
        v.fromStation.assign(Station(f, layout.fromStation, fromId));
        v.toStation.assign(Station(f, layout.toStation, toId));
        v.dx = f.Real(layout.dx);
        v.dy = f.Real(layout.dy);
        v.dz = f.Real(layout.dz);
        m_table.Store(3 * j - 2, 3 * j - 2, f.Real(layout.sdX));
        m_table.Store(3 * j - 1, 3 * j - 1, f.Real(layout.sdY));
        m_table.Store(3 * j, 3 * j, f.Real(layout.sdZ));
        if (hasOverrides) {
            if (ApplyOverride(StationIdField(f, kCFromOverride), v.fromStation)) fromId = false;
            if (ApplyOverride(StationIdField(f, kCToOverride), v.toStation)) toId = false;
        }
        if (fromId || toId) f.Found().Add(Finding::kNameFromStationId);
        RejectMark reject;
        if (m_reading == Reading::kNgs) {
            const char mark = f.Letter(layout.rejectColumn);
            if (mark == 'R' || mark == 'O' || mark == 'F') reject = {mark, layout.rejectColumn};
        }
        if (reject.mark != 0) f.Found().Add(Finding::kRejected);
        m_marks[j - 1] = {reject, false};
        m_vectors[static_cast<std::size_t>(j - 1)] = {m_at.line, m_at.type[0], f.Found(), reject};
    }

    /// A D or E record: stores its terms and completes the set when its last valid term is
    /// the closing one. A term outside the matrix is not stored but still counts as the line's
    /// last term.
    int ReadTerms(RecordFields& f, const TermLayout& layout, bool covariance) {
        if (m_countVectors) {
            // The set's first D or E record: its vectors are the C and F records before it.
            m_vectorCount = m_readCount;
            m_countVectors = false;
            m_b.findings.Add(Finding::kVectorsCounted);
        }
        int lastRow = 0;
        int lastColumn = 0;
        bool outside = false;
        for (int t = 0; t < layout.count; ++t) {
            const int c = layout.columns[t];
            const int row = f.Int({c, kTermIndexWidth});
            const int column = f.Int({c + kTermIndexWidth, kTermIndexWidth});
            if (row < 1 || column < 1) continue;
            const double value =
                f.Real({c + 2 * kTermIndexWidth, layout.valueWidth, kTermFactor});
            if (!m_table.Store(row, column, value)) outside = true;
            lastRow = row;
            lastColumn = column;
        }
        if (outside) f.Found().Add(Finding::kTermOutsideMatrix);
        // The count is at most 99 (two columns), so 3n stays inside the matrix; a count of 0 or
        // below never closes, since a term's row is at least 1.
        if (m_vectorCount >= 1 && lastRow == 3 * m_vectorCount - 1 &&
            lastColumn == 3 * m_vectorCount) {
            return CloseSet(f, covariance);
        }
        AddPendingTerms({m_at.line, m_at.type[0], f.Found(), {}});
        return 0;
    }

    void AddPendingTerms(const PendingRecord& record) {
        if (m_terms.size() < kMaxPendingTerms) {
            m_terms.push_back(record);
        } else {
            ++(record.type == 'D' ? m_extraD : m_extraE);
        }
    }

    int Position(RecordFields& f) {
        PositionRecord r;
        r.station = Station(f, kGStation);
        r.x = f.Real(kGX);
        r.y = f.Real(kGY);
        r.z = f.Real(kGZ);
        r.sdX = f.Real(kGSdX);
        r.sdY = f.Real(kGSdY);
        r.sdZ = f.Real(kGSdZ);
        f.CheckFinite({r.x, r.y, r.z, r.sdX, r.sdY, r.sdZ});
        r.at = m_at;
        r.at.findings = f.Found();
        return m_receiver.Position(r);
    }

    int CloseSet(const RecordFields& f, bool covariance);
    /// Checks that the values each vector of the set writes are finite (m_marks and the
    /// vectors' findings).
    void CheckVectorsFinite(bool covariance);
    void DiscardSet();

    StationNames& m_names;
    Reading m_reading;
    BlueBookReceiver& m_receiver;
    RecordRef m_at{BlueBookFile::kGFile, 0, {}};  // the record being read
    VectorTable m_table;
    VectorMark m_marks[kMaxVectors];  // of the vectors of the open set
    int m_vectorCount = 0;  // n of the last B record; 0 before the first
    bool m_countVectors = false;  // its count was blank: the C and F records up to a D or E
    int m_readCount = 0;    // C and F records since the last B record, up to kMaxVectors
    bool m_seenB = false;
    // The records read into the open set since it was last handed on.
    PendingRecord m_b;
    PendingRecord m_vectors[kMaxVectors];
    std::vector<PendingRecord> m_terms;  // D and E, in line order
    long long m_extraD = 0, m_extraE = 0;  // beyond kMaxPendingTerms
    std::vector<SetMember> m_members;      // handed on with the set
};

/// Hands the set on with its records and what was found about each; then skips the records
/// beyond the vector count.
int GFileReader::CloseSet(const RecordFields& f, bool covariance) {
    CheckVectorsFinite(covariance);
    m_members.clear();
    if (m_b.line > 0) m_members.push_back(m_b.Member(0));
    for (int j = 1; j <= std::min(m_vectorCount, kMaxVectors); ++j) {
        const PendingRecord& v = m_vectors[j - 1];
        if (v.line > 0) m_members.push_back(v.Member(j));
    }
    for (const PendingRecord& t : m_terms) m_members.push_back(t.Member(0));
    VectorSetRecord set;
    set.at = m_at;
    set.at.findings = f.Found();
    if (m_readCount < m_vectorCount) set.at.findings.Add(Finding::kSetShort);
    set.count = m_vectorCount;
    set.vectors = m_table.Vectors();
    set.marks = m_marks;
    set.matrix = m_table.Matrix();
    set.covariance = covariance;
    set.members = m_members.data();
    set.memberCount = m_members.size();
    if (const int result = m_receiver.VectorSet(set); result != 0) return result;
    for (int j = 1; j <= kMaxVectors; ++j) {
        PendingRecord& v = m_vectors[j - 1];
        if (v.line > 0 && j > m_vectorCount) {
            m_receiver.Skipped(v.Skipped(), SkipReason::kBeyondVectorCount);
        }
        v = {};
    }
    m_b = {};
    m_terms.clear();
    m_extraD = m_extraE = 0;
    return 0;
}

void GFileReader::CheckVectorsFinite(bool covariance) {
    for (int j = 1; j <= std::min(m_vectorCount, kMaxVectors); ++j) {
        const GpsVector& v = m_table.Vectors()[j - 1];
        const VectorCovariance c = CovarianceOf(j - 1, m_table.Matrix(), covariance);
        if (AllFinite({v.dx, v.dy, v.dz, c.xx, c.xy, c.yy, c.xz, c.yz, c.zz})) continue;
        const bool ngs = m_reading == Reading::kNgs;
        m_vectors[j - 1].findings.Add(ngs ? Finding::kNotFinite : Finding::kNotFiniteWritten);
        m_marks[j - 1].notFinite = ngs;
    }
}

/// Skips the records of the open set, in line order: it was never handed on after them.
void GFileReader::DiscardSet() {
    const SkipReason reason = m_seenB ? SkipReason::kSetNeverClosed : SkipReason::kBeforeFirstB;
    if (m_b.line > 0) m_receiver.Skipped(m_b.Skipped(), reason);
    std::vector<PendingRecord> records(m_terms);
    for (PendingRecord& v : m_vectors) {
        if (v.line > 0) records.push_back(v);
        v = {};
    }
    std::sort(records.begin(), records.end(),
              [](const PendingRecord& a, const PendingRecord& b) { return a.line < b.line; });
    for (const PendingRecord& r : records) m_receiver.Skipped(r.Skipped(), reason);
    for (long long i = 0; i < m_extraD; ++i) m_receiver.Skipped({BlueBookFile::kGFile, 0, "D"}, reason);
    for (long long i = 0; i < m_extraE; ++i) m_receiver.Skipped({BlueBookFile::kGFile, 0, "E"}, reason);
    m_b = {};
    m_terms.clear();
    m_extraD = m_extraE = 0;
}

}  // namespace

int ReadGFile(InputFile& in, StationNames& names, Reading reading, BlueBookReceiver& receiver,
              int& lineCounter) {
    lineCounter = 0;
    receiver.BeginFile(BlueBookFile::kGFile);
    GFileReader reader(names, reading, receiver);
    long long lines = 0;
    const int result = ForEachDataLine(in, lineCounter, [&](std::string_view line) {
        ++lines;
        return reader.Read(line, lineCounter);
    });
    if (result == 0) reader.Finish();
    receiver.EndFile(BlueBookFile::kGFile, lines, result == 0);
    return result == 0 && in.Changed() ? kMsgInputChanged : result;
}
