// The account of one conversion: what each input file held, what reached the output file and
// what was left out, and why. A front end that wants it sets BlueBookConverter::m_report; the
// report then receives everything the readers read, beside the TELLURAX writer. It never
// changes the output file or the messages.
//
// Line numbers are physical line numbers in their file (the readers' line counter). Each list
// keeps the lines of the first kKeptLines occurrences (the summary shows kShownLines of them);
// the counts are complete. Memory stays bounded whatever the size of the files.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "bluebook/NameIndex.h"
#include "bluebook/Receiver.h"

/// The input files of a conversion.
using ReportFile = BlueBookFile;
constexpr int kReportFileCount = 3;
constexpr int kSkipReasonCount = static_cast<int>(SkipReason::kCount);


/// Line numbers kept per reason, warning or note, and how many of them the summary shows.
constexpr std::size_t kKeptLines = 1000;
constexpr std::size_t kShownLines = 5;
/// Distinct station names kept per finding.
constexpr std::size_t kKeptNames = 5;

/// How often something occurred, and the lines of its first occurrences.
struct Occurrences {
    std::int64_t count = 0;
    std::vector<int> lines;  // at most kKeptLines

    /// One more occurrence; a line already kept last is not kept twice, and a line number
    /// below 1 (not known) is counted only.
    void Add(int line) {
        ++count;
        if (line < 1 || (!lines.empty() && lines.back() == line)) return;
        if (lines.size() < kKeptLines) lines.push_back(line);
    }
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

/// The occurrences of one finding, and for a finding that names stations the stations.
struct FindingTally {
    Occurrences at;
    std::vector<std::string> names;  // the stations concerned, first kKeptNames distinct ones
    bool moreNames = false;          // further distinct stations were not kept

    /// One more occurrence, concerning the station `name`.
    void AddNamed(int line, std::string_view name);
};

/// What in an account deserves a look before the output is adjusted: its warnings (fields
/// that are not numbers and inputs with nothing to read among them), and the records marked
/// rejected. Record types that are never converted, and the notes, do not count.
struct Attention {
    std::int64_t warnings = 0;  // occurrences of every warning but a rejection
    std::int64_t rejected = 0;  // records marked rejected

    bool Any() const { return warnings > 0 || rejected > 0; }
};

/// The account of one input file.
struct FileAccount {
    bool read = false;          // its reader ran
    bool complete = false;      // its reader reached the end of the file
    std::string path;
    std::int64_t lines = 0;     // significant lines
    std::int64_t readable = 0;  // records of the types this converter reads
    std::vector<RecordCount> records;  // by record type slot (ConversionReport::TypeSlot)
    std::vector<SkipTally> skips;      // in the order of their first occurrence
    std::vector<int> skipIndex;        // slot * kSkipReasonCount + reason: index in skips, or -1
    std::array<FindingTally, kFindingCount> findings{};  // by Finding
};

class ConversionReport : public BlueBookReceiver {
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
    const FindingTally& Found(ReportFile file, Finding finding) const {
        return File(file).findings[static_cast<std::size_t>(finding)];
    }
    /// What deserves a look, over every file.
    Attention WhatDeservesALook() const;

    // Totals of what was written.
    std::int64_t stationsWritten = 0;      // "$GEO_COMPACT"
    std::int64_t observationsWritten = 0;  // B-file observation records
    std::int64_t vectorsWritten = 0;       // "$GPS_COMPACT"
    std::int64_t positionsWritten = 0;     // "$CART_COMPACT"
    std::int64_t rejectedWritten = 0;      // observations and vectors written as comments

    /// SERFIL entries in file order: name, line, and whether a station field took the name.
    struct SerfilName {
        std::string name;
        int line;
        bool used;
    };
    const std::vector<SerfilName>& SerfilEntries() const { return m_serfil; }
    std::int64_t SerfilNamesUsed() const;

    /// The outcome, filled by the front end: the message number and text shown.
    int message = 0;
    std::string messageText;

    // --- Recording (the job, and the readers through the receiver calls) -----------------------

    /// A file is about to be read from `path`.
    void StartFile(ReportFile file, std::string_view path);
    /// Which SERFIL entries station fields took their names from, by entry.
    void SetSerfilUse(const std::vector<bool>& used);
    /// Warns of vector end points that are no B-file station and of B-file stations that no
    /// vector reaches. For a job that converted both files, the B-file first.
    void CompareStations();
    /// Whether CompareStations ran since the last Clear.
    bool StationsCompared() const { return m_compared; }
    /// Whether CompareStations warned that no vector reaches the B-file station `name` (a name
    /// with several "*80*" records is reached through its first); false before it ran.
    bool Unreached(std::string_view name) const;

    void BeginFile(BlueBookFile file) override;
    void EndFile(BlueBookFile file, long long lines, bool reachedEnd) override;
    int Serfil(const SerfilEntry& entry) override;
    int Datum(const DatumRecord& datum) override;
    int StationId(const StationIdRecord& r) override;
    int StationPart(const ::StationPart& part) override;
    int Station(const StationRecord& s) override;
    int Direction(const DirectionRecord& r) override { return Observation(r.at); }
    int HorizontalAngle(const HorizontalAngleRecord& r) override { return Observation(r.at); }
    int VerticalAngle(const VerticalAngleRecord& r) override { return Observation(r.at); }
    int HeightDifference(const HeightDifferenceRecord& r) override { return Observation(r.at); }
    int Distance(const DistanceRecord& r) override { return Observation(r.at); }
    int Azimuth(const AzimuthRecord& r) override { return Observation(r.at); }
    int VectorSet(const VectorSetRecord& set) override;
    int Position(const PositionRecord& r) override;
    void Skipped(const RecordRef& at, SkipReason reason) override;

private:
    static std::size_t Index(ReportFile file) { return static_cast<std::size_t>(file); }
    FileAccount& Account(ReportFile file) { return m_files[Index(file)]; }
    void Converted(const RecordRef& at);
    /// Tallies what was found about the record at `at` (and its line) in its file.
    void Tally(const RecordRef& at);
    void Tally(BlueBookFile file, int line, const Findings& findings);
    int Observation(const RecordRef& at);
    void NoteVectorEnd(const std::string& name, int line);

    std::array<FileAccount, kReportFileCount> m_files;
    std::vector<SerfilName> m_serfil;

    // B-file stations in the order of their "*80*" records: names, lines, whether a vector
    // reached them; and the index to the first station of each name.
    std::vector<std::string> m_bStationNames;
    std::vector<int> m_bStationLines;
    std::vector<bool> m_bStationReached;
    NameIndex m_bStationIndex;
    FindingTally m_unmatchedEnds;  // vector ends that are no B-file station, until compared
    bool m_compared = false;       // CompareStations ran
};

/// The texts of the reasons: what the summary shows, and the JSON keys. (A finding's are its
/// row of kFindings.)
const char* ReasonText(SkipReason reason);
const char* ReasonKey(SkipReason reason);

/// The account as a short text for a terminal: one block per file read, one line per record
/// type with its converted and skipped counts, the reasons indented under it, then the
/// warnings and the totals. Lines end with "\n".
std::string FormatReportSummary(const ConversionReport& report);

/// The version of the JSON account's layout, its "format" member.
constexpr int kReportJsonFormat = 2;

/// The account as one JSON object (UTF-8; bytes that are not UTF-8 are taken as Latin-1).
std::string FormatReportJson(const ConversionReport& report);
