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
#include <initializer_list>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "bluebook/Receiver.h"
#include "convert/NetworkChecks.h"

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
    bool moreLines = false;  // occurrences on further lines were counted only

    /// One more occurrence; a line already kept last is not kept twice, and a line number
    /// below 1 (not known) is counted only.
    void Add(int line) {
        ++count;
        if (line < 1 || (!lines.empty() && lines.back() == line)) return;
        if (lines.size() < kKeptLines) {
            lines.push_back(line);
        } else {
            moreLines = true;
        }
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

/// One occurrence in the list of what to check: where, the stations it concerns, and what it
/// says (`text` the whole sentence, `brief` what follows the finding's title).
struct Listed {
    BlueBookFile file;
    int line;
    std::vector<std::string> stations;
    std::string brief;
    std::string text;
};

/// The occurrences of one warning over every file: how many, and the first kKeptLines.
struct ToCheck {
    std::int64_t count = 0;
    std::vector<Listed> listed;
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
    /// Every occurrence of the warning or rejection `finding`, over every file, in the order
    /// they were found.
    const ToCheck& ToCheckOf(Finding finding) const {
        return m_toCheck[static_cast<std::size_t>(finding)];
    }
    /// Whether the network checks ran (Concluded was called), and what they concluded.
    bool NetworkChecked() const { return m_networkChecked; }
    const NetworkConclusions& Network() const { return m_network; }
    /// What the network checks concluded about the B-file station `name` once everything was
    /// read (null: nothing).
    const std::vector<FindingDetail>* ConcludedAbout(std::string_view name) const;

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
    /// What the network checks concluded once every file was read.
    void Concluded(NetworkConclusions conclusions);

    void BeginFile(BlueBookFile file) override;
    void EndFile(BlueBookFile file, long long lines, bool reachedEnd) override;
    int Serfil(const SerfilEntry& entry) override;
    int Datum(const DatumRecord& datum) override;
    int StationId(const StationIdRecord& r) override;
    int StationPart(const ::StationPart& part) override;
    int Station(const StationRecord& s) override;
    int Direction(const DirectionRecord& r) override {
        return Observation(r.at, {r.fromStation, r.toStation});
    }
    int HorizontalAngle(const HorizontalAngleRecord& r) override {
        return Observation(r.at, {r.atStation, r.backsightStation, r.foresightStation});
    }
    int VerticalAngle(const VerticalAngleRecord& r) override {
        return Observation(r.at, {r.fromStation, r.toStation});
    }
    int HeightDifference(const HeightDifferenceRecord& r) override {
        return Observation(r.at, {r.fromStation, r.toStation});
    }
    int Distance(const DistanceRecord& r) override {
        return Observation(r.at, {r.fromStation, r.toStation});
    }
    int Azimuth(const AzimuthRecord& r) override {
        return Observation(r.at, {r.fromStation, r.toStation});
    }
    int VectorSet(const VectorSetRecord& set) override;
    int Position(const PositionRecord& r) override;
    void Skipped(const RecordRef& at, SkipReason reason) override;

private:
    static std::size_t Index(ReportFile file) { return static_cast<std::size_t>(file); }
    FileAccount& Account(ReportFile file) { return m_files[Index(file)]; }
    using Names = std::initializer_list<std::string_view>;
    /// Counts the record at `at` converted, and tallies what was found about it; `names` are
    /// the stations it names.
    void Converted(const RecordRef& at, Names names = {});
    void Tally(const RecordRef& at, Names names);
    /// One occurrence of `finding` in `file` on `line`, in the file's tally and, for a warning
    /// or a rejection, in the list of what to check.
    void Count(BlueBookFile file, int line, Finding finding, std::vector<std::string> stations,
               std::string brief, std::string text);
    int Observation(const RecordRef& at, Names names);

    std::array<FileAccount, kReportFileCount> m_files;
    std::vector<SerfilName> m_serfil;

    std::array<ToCheck, kFindingCount> m_toCheck{};  // by Finding
    bool m_networkChecked = false;
    NetworkConclusions m_network;
    std::unordered_map<std::string, std::vector<FindingDetail>> m_concludedAbout;  // by station
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
constexpr int kReportJsonFormat = 3;

/// The account as one JSON object (UTF-8; bytes that are not UTF-8 are taken as Latin-1).
std::string FormatReportJson(const ConversionReport& report);
