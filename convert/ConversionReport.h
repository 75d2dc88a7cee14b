// The account of one conversion: what each input file held, what reached the output file and
// what was left out, and why. A front end that wants it sets BlueBookConverter::m_report; the
// readers then record into it as they go. It never changes the output file or the messages.
//
// Line numbers are physical line numbers in their file (the readers' line counter). Each list
// keeps the first kKeptLines occurrences; the counts are complete.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct GpsVector;

/// The input files of a conversion.
enum class ReportFile { kSerfil, kBFile, kGFile };
constexpr int kReportFileCount = 3;

/// Why a record did not reach the output file.
enum class SkipReason {
    kUnsupportedType,     // a record type this converter does not convert
    kCodeSelectsNothing,  // "*50*" to "*54*": the code letter selects no kind of distance
    kOtherSet,            // "*22*", "*32*", "*42*" whose set number is not the open set's
    kNoEarlierStation,    // "*85*", "*86*" whose station has no earlier "*80*"
    kLaterDatum,          // a "*13*" after the first one
    kTypeAtColumn1,       // columns 1 to 6 blank: the marker is not in columns 7 to 10
    kBeforeFirstB,        // G-file C, D, E, F records before any B record
    kSetNeverClosed,      // no D or E line ends with the set's last term after the record
    kBeyondVectorCount,   // a C or F record beyond the vector count of its B record
    kTooManyVectors,      // a C or F record beyond the largest vector set (kMaxVectors)
    kCount
};
constexpr int kSkipReasonCount = static_cast<int>(SkipReason::kCount);

/// Records that were converted but call for a look before the output is adjusted.
enum class ReportWarning {
    kRejectedMark,       // B-file record marked rejected ("R", "O", "F" in column 6)
    kDigitsThenBlanks,   // a numeric field whose digits are followed by blanks in the field
    kTypeAtColumn1,      // B-file line with blank columns 1 to 6 (the line is skipped)
    kBlankHeight,        // "*86*" with a blank height field, written as 0.0
    kDuplicateStation,   // a second "*80*" for a station; "*85*"/"*86*" update the first
    kSetShort,           // vector set closed with fewer C/F records than its count
    kTermOutsideMatrix,  // a D or E term whose row or column lies outside the matrix
    kUnmatchedEndpoint,  // a vector end point that is no B-file station
    kUnreachedStation,   // a B-file station that no vector reaches
    kCount
};
constexpr int kReportWarningCount = static_cast<int>(ReportWarning::kCount);

/// Line numbers kept per reason or warning.
constexpr int kKeptLines = 5;

/// How often something occurred, and the lines of its first occurrences.
struct Occurrences {
    std::int64_t count = 0;
    int kept = 0;
    std::array<int, kKeptLines> lines{};

    /// One more occurrence; a line already kept last is not kept twice.
    void Add(int line) {
        ++count;
        if (kept > 0 && lines[static_cast<std::size_t>(kept - 1)] == line) return;
        if (kept < kKeptLines) lines[static_cast<std::size_t>(kept++)] = line;
    }
    /// Adds all of `other`, whose occurrences come after these.
    void Merge(const Occurrences& other);
};

struct RecordCount {
    std::int64_t converted = 0;
    std::int64_t skipped = 0;
};

struct SkipTally {
    int typeSlot;
    SkipReason reason;
    Occurrences at;
};

struct WarningTally {
    Occurrences at;
    std::vector<std::string> names;  // the stations concerned, first kKeptLines distinct ones
    bool moreNames = false;          // further distinct stations were not kept
};

/// The account of one input file.
struct FileAccount {
    bool read = false;          // its reader ran
    bool complete = false;      // its reader reached the end of the file
    std::string path;
    std::int64_t lines = 0;     // significant lines
    std::vector<RecordCount> records;  // by record type slot (ConversionReport::TypeSlot)
    std::vector<SkipTally> skips;      // in the order of their first occurrence
    std::vector<int> skipIndex;        // slot * kSkipReasonCount + reason: index in skips, or -1
    std::array<WarningTally, kReportWarningCount> warnings{};
};

class ConversionReport {
public:
    ConversionReport();

    /// Forgets everything: a new conversion job starts.
    void Clear();

    // --- Reading the account ------------------------------------------------------------------

    const FileAccount& File(ReportFile file) const { return m_files[Index(file)]; }

    /// The slot of a record type: B-file "*XY*" (X and Y digits or upper-case letters; any other
    /// text shares one slot), the G-file's first character, the SERFIL file's one slot.
    static int TypeSlot(ReportFile file, std::string_view type);
    /// The record type of a slot as the file writes it ("*20*", "C", "name"; "other").
    static std::string TypeName(ReportFile file, int slot);

    RecordCount Records(ReportFile file, std::string_view type) const;
    /// The records of `type` skipped for `reason` (none when there were none).
    const Occurrences& Skips(ReportFile file, std::string_view type, SkipReason reason) const;
    const WarningTally& Warning(ReportFile file, ReportWarning warning) const {
        return File(file).warnings[static_cast<std::size_t>(warning)];
    }

    static const char* ReasonText(SkipReason reason);
    static const char* ReasonKey(SkipReason reason);
    static const char* WarningText(ReportWarning warning);
    static const char* WarningKey(ReportWarning warning);

    // Totals of what was written.
    std::int64_t stationsWritten = 0;      // "$GEO_COMPACT"
    std::int64_t observationsWritten = 0;  // B-file observation records
    std::int64_t vectorsWritten = 0;       // "$GPS_COMPACT"
    std::int64_t positionsWritten = 0;     // "$CART_COMPACT"

    /// SERFIL entries in file order: name, line, and whether a station field took the name.
    struct SerfilEntry {
        std::string name;
        int line;
        bool used;
    };
    const std::vector<SerfilEntry>& SerfilEntries() const { return m_serfil; }
    std::int64_t SerfilNamesUsed() const;

    /// The outcome, filled by the front end: the message number and text shown.
    int message = 0;
    std::string messageText;

    // --- Recording (called by the readers and the job) ----------------------------------------

    void StartFile(ReportFile file, std::string_view path);
    void FinishFile(ReportFile file) { Account(file).complete = true; }
    void CountLine(ReportFile file) { ++Account(file).lines; }

    /// A new record: forgets whether the previous one had a numeric field with inner blanks.
    void BeginRecord() { m_fieldGap = false; }
    /// Notes that a numeric field of the record has blanks after its digits.
    void NoteFieldGap() { m_fieldGap = true; }
    /// Takes (and forgets) what NoteFieldGap noted since BeginRecord.
    bool TakeFieldGap() {
        const bool gap = m_fieldGap;
        m_fieldGap = false;
        return gap;
    }

    /// A record reached the output file. Warns of a field gap noted since BeginRecord.
    void RecordConverted(ReportFile file, int slot, int line);
    /// A converted B-file record: as RecordConverted, and warns of a rejection mark.
    void RecordConvertedBFile(int slot, std::string_view text, int line);
    void RecordSkipped(ReportFile file, int slot, SkipReason reason, int line);
    void AddWarning(ReportFile file, ReportWarning warning, int line);
    void AddWarning(ReportFile file, ReportWarning warning, std::string_view name, int line);

    // SERFIL names.
    void AddSerfilEntry(std::string_view name, int line);
    void NoteSerfilUse(std::size_t index) {
        if (index < m_serfil.size()) m_serfil[index].used = true;
    }

    // Stations of the B-file and vector end points of the G-file, compared at the end.
    void AddBFileStation(std::string_view name, int line);
    /// Warns of vector end points that are no B-file station and of B-file stations that no
    /// vector reaches. For a job that converted both files, the B-file first.
    void CompareStations();

    // G-file vector sets: their records count as converted once the set is written, and as
    // skipped when the set ends without being written after them.
    /// A B record: ends the previous set and opens a new one.
    void StartVectorSet(int line);
    /// C or F record `j` (1-based) of the open set.
    void AddSetVector(int j, char type, int line);
    /// A D or E record that did not close the set.
    void AddSetTerms(char type, int line);
    /// A D or E record that closed the set: vectors 1 to `count` of `vectors` were written.
    void CloseVectorSet(int count, int readCount, const GpsVector* vectors, char type, int line);
    /// The end of the G-file: ends the open set.
    void EndVectorSets();

private:
    static std::size_t Index(ReportFile file) { return static_cast<std::size_t>(file); }
    FileAccount& Account(ReportFile file) { return m_files[Index(file)]; }
    void ResolveSet(SkipReason reason);

    std::array<FileAccount, kReportFileCount> m_files;
    bool m_fieldGap = false;
    std::vector<SerfilEntry> m_serfil;
    void NoteVectorEnd(const std::string& name, int line);

    // B-file stations in the order of their "*80*" records, and the first of each name.
    struct BFileStationEntry {
        std::string name;
        int line;
        bool reached;
    };
    std::vector<BFileStationEntry> m_bStations;
    std::unordered_map<std::string, std::size_t> m_bStationIndex;
    WarningTally m_unmatchedEnds;  // vector ends that are no B-file station, until compared

    // The open G-file vector set.
    struct PendingVector {
        int line = 0;
        char type = 0;
        bool fieldGap = false;
    };
    bool m_seenB = false;
    int m_setLine = 0;            // the B record; 0 when it is accounted for
    bool m_setFieldGap = false;   // the B record's vector count has blanks after its digits
    std::vector<PendingVector> m_setVectors;  // by j - 1; line 0 when none is pending
    Occurrences m_pendingD, m_pendingE, m_pendingTermGaps;
};

/// The account as a short text for a terminal: one block per file read, one line per record
/// type with its converted and skipped counts, the reasons indented under it, then the
/// warnings and the totals. Lines end with "\n".
std::string FormatReportSummary(const ConversionReport& report);

/// The account as one JSON object (UTF-8; bytes that are not UTF-8 are taken as Latin-1).
std::string FormatReportJson(const ConversionReport& report);
