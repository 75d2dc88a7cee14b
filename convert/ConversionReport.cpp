#include "convert/ConversionReport.h"

#include <algorithm>

#include "bluebook/RecordLine.h"
#include "output/CompactRecords.h"

namespace {

constexpr int kAlphabet = 36;                          // digits and upper-case letters
constexpr int kBFileOtherSlot = kAlphabet * kAlphabet;  // every other text in columns 7 to 10
constexpr int kBFileSlots = kBFileOtherSlot + 1;
constexpr int kGFileSlots = 256;  // by the first byte

int SlotCount(ReportFile file) {
    switch (file) {
        case ReportFile::kBFile: return kBFileSlots;
        case ReportFile::kGFile: return kGFileSlots;
        case ReportFile::kSerfil: break;
    }
    return 1;
}

/// 0-9 for the digits, 10-35 for the upper-case letters, -1 for anything else.
int AlphabetIndex(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
    return -1;
}

char AlphabetChar(int index) {
    return static_cast<char>(index < 10 ? '0' + index : 'A' + index - 10);
}

}  // namespace

void Occurrences::Merge(const Occurrences& other) {
    count += other.count;
    for (int i = 0; i < other.kept && kept < kKeptLines; ++i) {
        lines[static_cast<std::size_t>(kept++)] = other.lines[static_cast<std::size_t>(i)];
    }
}

ConversionReport::ConversionReport() { Clear(); }

void ConversionReport::Clear() {
    for (int f = 0; f < kReportFileCount; ++f) {
        FileAccount& account = m_files[static_cast<std::size_t>(f)];
        account = FileAccount();
        const int slots = SlotCount(static_cast<ReportFile>(f));
        account.records.assign(static_cast<std::size_t>(slots), RecordCount());
        account.skipIndex.assign(static_cast<std::size_t>(slots) * kSkipReasonCount, -1);
    }
    stationsWritten = observationsWritten = vectorsWritten = positionsWritten = 0;
    message = 0;
    messageText.clear();
    m_fieldGap = false;
    m_serfil.clear();
    m_bStations.clear();
    m_bStationIndex.clear();
    m_unmatchedEnds = WarningTally();
    m_seenB = false;
    m_setLine = 0;
    m_setFieldGap = false;
    m_setVectors.assign(static_cast<std::size_t>(kMaxVectors), PendingVector());
    m_pendingD = m_pendingE = m_pendingTermGaps = Occurrences();
}

int ConversionReport::TypeSlot(ReportFile file, std::string_view type) {
    switch (file) {
        case ReportFile::kBFile: {
            if (type.size() != 4 || type[0] != '*' || type[3] != '*') return kBFileOtherSlot;
            const int first = AlphabetIndex(type[1]);
            const int second = AlphabetIndex(type[2]);
            if (first < 0 || second < 0) return kBFileOtherSlot;
            return first * kAlphabet + second;
        }
        case ReportFile::kGFile:
            return type.empty() ? 0 : static_cast<unsigned char>(type[0]);
        case ReportFile::kSerfil: break;
    }
    return 0;
}

std::string ConversionReport::TypeName(ReportFile file, int slot) {
    switch (file) {
        case ReportFile::kBFile:
            if (slot < 0 || slot >= kBFileOtherSlot) return "other";
            return {'*', AlphabetChar(slot / kAlphabet), AlphabetChar(slot % kAlphabet), '*'};
        case ReportFile::kGFile:
            if (slot > 32 && slot < 127) return std::string(1, static_cast<char>(slot));
            return "other";
        case ReportFile::kSerfil: break;
    }
    return "name";
}

RecordCount ConversionReport::Records(ReportFile file, std::string_view type) const {
    return File(file).records[static_cast<std::size_t>(TypeSlot(file, type))];
}

const Occurrences& ConversionReport::Skips(ReportFile file, std::string_view type,
                                           SkipReason reason) const {
    static const Occurrences kNone;
    const FileAccount& account = File(file);
    const int index = account.skipIndex[static_cast<std::size_t>(TypeSlot(file, type)) *
                                            kSkipReasonCount +
                                        static_cast<std::size_t>(reason)];
    return index < 0 ? kNone : account.skips[static_cast<std::size_t>(index)].at;
}

const char* ConversionReport::ReasonText(SkipReason reason) {
    switch (reason) {
        case SkipReason::kUnsupportedType: return "record type not converted";
        case SkipReason::kCodeSelectsNothing: return "code letter selects nothing";
        case SkipReason::kOtherSet: return "continues another set";
        case SkipReason::kNoEarlierStation: return "station without an earlier *80*";
        case SkipReason::kLaterDatum: return "datum record after the first";
        case SkipReason::kTypeAtColumn1: return "columns 1 to 6 blank, type not read";
        case SkipReason::kBeforeFirstB: return "before any B record";
        case SkipReason::kSetNeverClosed: return "vector set never closed";
        case SkipReason::kBeyondVectorCount: return "beyond the vector count of its B record";
        case SkipReason::kTooManyVectors: return "beyond 99 vectors in one set";
        case SkipReason::kCount: break;
    }
    return "";
}

const char* ConversionReport::ReasonKey(SkipReason reason) {
    switch (reason) {
        case SkipReason::kUnsupportedType: return "unsupported-type";
        case SkipReason::kCodeSelectsNothing: return "code-selects-nothing";
        case SkipReason::kOtherSet: return "other-set";
        case SkipReason::kNoEarlierStation: return "no-earlier-station";
        case SkipReason::kLaterDatum: return "later-datum";
        case SkipReason::kTypeAtColumn1: return "type-at-column-1";
        case SkipReason::kBeforeFirstB: return "before-first-b";
        case SkipReason::kSetNeverClosed: return "set-never-closed";
        case SkipReason::kBeyondVectorCount: return "beyond-vector-count";
        case SkipReason::kTooManyVectors: return "too-many-vectors";
        case SkipReason::kCount: break;
    }
    return "";
}

const char* ConversionReport::WarningText(ReportWarning warning) {
    switch (warning) {
        case ReportWarning::kRejectedMark: return "marked rejected in column 6, converted";
        case ReportWarning::kDigitsThenBlanks: return "blanks after the digits of a number";
        case ReportWarning::kTypeAtColumn1: return "columns 1 to 6 blank, line skipped";
        case ReportWarning::kBlankHeight: return "*86* height blank, written as 0.0";
        case ReportWarning::kDuplicateStation: return "station of an earlier *80*";
        case ReportWarning::kSetShort: return "set closed with fewer C/F than its count";
        case ReportWarning::kTermOutsideMatrix: return "term outside the matrix, not stored";
        case ReportWarning::kUnmatchedEndpoint: return "vector end point not in the B-file";
        case ReportWarning::kUnreachedStation: return "station no G-file vector reaches";
        case ReportWarning::kCount: break;
    }
    return "";
}

const char* ConversionReport::WarningKey(ReportWarning warning) {
    switch (warning) {
        case ReportWarning::kRejectedMark: return "rejected-mark";
        case ReportWarning::kDigitsThenBlanks: return "digits-then-blanks";
        case ReportWarning::kTypeAtColumn1: return "type-at-column-1";
        case ReportWarning::kBlankHeight: return "blank-height";
        case ReportWarning::kDuplicateStation: return "duplicate-station";
        case ReportWarning::kSetShort: return "set-short";
        case ReportWarning::kTermOutsideMatrix: return "term-outside-matrix";
        case ReportWarning::kUnmatchedEndpoint: return "unmatched-endpoint";
        case ReportWarning::kUnreachedStation: return "unreached-station";
        case ReportWarning::kCount: break;
    }
    return "";
}

std::int64_t ConversionReport::SerfilNamesUsed() const {
    return std::count_if(m_serfil.begin(), m_serfil.end(),
                         [](const SerfilEntry& e) { return e.used; });
}

void ConversionReport::StartFile(ReportFile file, std::string_view path) {
    FileAccount& account = Account(file);
    account.read = true;
    account.path.assign(path.data(), path.size());
}

void ConversionReport::RecordConverted(ReportFile file, int slot, int line) {
    ++Account(file).records[static_cast<std::size_t>(slot)].converted;
    if (TakeFieldGap()) AddWarning(file, ReportWarning::kDigitsThenBlanks, line);
}

void ConversionReport::RecordConvertedBFile(int slot, std::string_view text, int line) {
    RecordConverted(ReportFile::kBFile, slot, line);
    const std::string_view mark = GetFieldText(6, 1, text);
    if (mark == "R" || mark == "O" || mark == "F") {
        AddWarning(ReportFile::kBFile, ReportWarning::kRejectedMark, line);
    }
}

void ConversionReport::RecordSkipped(ReportFile file, int slot, SkipReason reason, int line) {
    FileAccount& account = Account(file);
    ++account.records[static_cast<std::size_t>(slot)].skipped;
    int& index = account.skipIndex[static_cast<std::size_t>(slot) * kSkipReasonCount +
                                   static_cast<std::size_t>(reason)];
    if (index < 0) {
        index = static_cast<int>(account.skips.size());
        account.skips.push_back({slot, reason, Occurrences()});
    }
    account.skips[static_cast<std::size_t>(index)].at.Add(line);
    m_fieldGap = false;
}

void ConversionReport::AddWarning(ReportFile file, ReportWarning warning, int line) {
    Account(file).warnings[static_cast<std::size_t>(warning)].at.Add(line);
}

void ConversionReport::AddWarning(ReportFile file, ReportWarning warning, std::string_view name,
                                  int line) {
    WarningTally& tally = Account(file).warnings[static_cast<std::size_t>(warning)];
    tally.at.Add(line);
    if (std::find(tally.names.begin(), tally.names.end(), name) != tally.names.end()) return;
    if (tally.names.size() < static_cast<std::size_t>(kKeptLines)) {
        tally.names.emplace_back(name);
    } else {
        tally.moreNames = true;
    }
}

void ConversionReport::AddSerfilEntry(std::string_view name, int line) {
    m_serfil.push_back({std::string(name), line, false});
    ++Account(ReportFile::kSerfil).records[0].converted;
}

void ConversionReport::AddBFileStation(std::string_view name, int line) {
    m_bStations.push_back({std::string(name), line, false});
    m_bStationIndex.emplace(m_bStations.back().name, m_bStations.size() - 1);
}

void ConversionReport::NoteVectorEnd(const std::string& name, int line) {
    if (!File(ReportFile::kBFile).read) return;  // no stations to compare with
    const auto found = m_bStationIndex.find(name);
    if (found != m_bStationIndex.end()) {
        m_bStations[found->second].reached = true;
        return;
    }
    m_unmatchedEnds.at.Add(line);
    if (std::find(m_unmatchedEnds.names.begin(), m_unmatchedEnds.names.end(), name) !=
        m_unmatchedEnds.names.end()) {
        return;
    }
    if (m_unmatchedEnds.names.size() < static_cast<std::size_t>(kKeptLines)) {
        m_unmatchedEnds.names.push_back(name);
    } else {
        m_unmatchedEnds.moreNames = true;
    }
}

void ConversionReport::CompareStations() {
    Account(ReportFile::kGFile).warnings[static_cast<std::size_t>(
        ReportWarning::kUnmatchedEndpoint)] = m_unmatchedEnds;
    for (const BFileStationEntry& station : m_bStations) {
        // A station listed twice is reached through the first entry of its name.
        if (m_bStations[m_bStationIndex[station.name]].reached) continue;
        AddWarning(ReportFile::kBFile, ReportWarning::kUnreachedStation, station.name,
                   station.line);
    }
}

void ConversionReport::StartVectorSet(int line) {
    const bool gap = TakeFieldGap();  // in the vector count: reported if the set is written
    ResolveSet(m_seenB ? SkipReason::kSetNeverClosed : SkipReason::kBeforeFirstB);
    m_seenB = true;
    m_setLine = line;
    m_setFieldGap = gap;
}

void ConversionReport::AddSetVector(int j, char type, int line) {
    if (j < 1 || j > kMaxVectors) return;
    PendingVector& pending = m_setVectors[static_cast<std::size_t>(j - 1)];
    pending.line = line;
    pending.type = type;
    pending.fieldGap = TakeFieldGap();
}

void ConversionReport::AddSetTerms(char type, int line) {
    (type == 'D' ? m_pendingD : m_pendingE).Add(line);
    if (TakeFieldGap()) m_pendingTermGaps.Add(line);
}

void ConversionReport::CloseVectorSet(int count, int readCount, const GpsVector* vectors,
                                      char type, int line) {
    const int typeSlot = TypeSlot(ReportFile::kGFile, std::string_view(&type, 1));
    FileAccount& account = Account(ReportFile::kGFile);
    const bool gap = TakeFieldGap();
    if (m_setLine > 0) {
        ++account.records[static_cast<std::size_t>(TypeSlot(ReportFile::kGFile, "B"))].converted;
        if (m_setFieldGap) {
            AddWarning(ReportFile::kGFile, ReportWarning::kDigitsThenBlanks, m_setLine);
        }
        m_setLine = 0;
    }
    for (int j = 1; j <= kMaxVectors; ++j) {
        PendingVector& pending = m_setVectors[static_cast<std::size_t>(j - 1)];
        if (pending.line == 0) continue;
        const int slot = static_cast<unsigned char>(pending.type);
        if (j <= count) {
            ++account.records[static_cast<std::size_t>(slot)].converted;
            if (pending.fieldGap) {
                AddWarning(ReportFile::kGFile, ReportWarning::kDigitsThenBlanks, pending.line);
            }
            const GpsVector& v = vectors[j - 1];
            NoteVectorEnd(v.fromStation, pending.line);
            NoteVectorEnd(v.toStation, pending.line);
        } else {
            RecordSkipped(ReportFile::kGFile, slot, SkipReason::kBeyondVectorCount,
                          pending.line);
        }
        pending = PendingVector();
    }
    account.records[static_cast<std::size_t>(TypeSlot(ReportFile::kGFile, "D"))].converted +=
        m_pendingD.count;
    account.records[static_cast<std::size_t>(TypeSlot(ReportFile::kGFile, "E"))].converted +=
        m_pendingE.count;
    account.warnings[static_cast<std::size_t>(ReportWarning::kDigitsThenBlanks)].at.Merge(
        m_pendingTermGaps);
    m_pendingD = m_pendingE = m_pendingTermGaps = Occurrences();
    ++account.records[static_cast<std::size_t>(typeSlot)].converted;
    if (gap) AddWarning(ReportFile::kGFile, ReportWarning::kDigitsThenBlanks, line);
    if (readCount < count) AddWarning(ReportFile::kGFile, ReportWarning::kSetShort, line);
}

void ConversionReport::EndVectorSets() {
    ResolveSet(m_seenB ? SkipReason::kSetNeverClosed : SkipReason::kBeforeFirstB);
}

void ConversionReport::ResolveSet(SkipReason reason) {
    const int bSlot = TypeSlot(ReportFile::kGFile, "B");
    if (m_setLine > 0) {
        RecordSkipped(ReportFile::kGFile, bSlot, reason, m_setLine);
        m_setLine = 0;
    }
    // Records in line order: the vectors and the terms of a set may interleave.
    struct Item {
        int line;
        int slot;
    };
    std::vector<Item> items;
    for (PendingVector& pending : m_setVectors) {
        if (pending.line == 0) continue;
        items.push_back({pending.line, static_cast<unsigned char>(pending.type)});
        pending = PendingVector();
    }
    FileAccount& account = Account(ReportFile::kGFile);
    for (const char type : {'D', 'E'}) {
        const Occurrences& pending = type == 'D' ? m_pendingD : m_pendingE;
        if (pending.count == 0) continue;
        const int slot = static_cast<unsigned char>(type);
        // Lines beyond those kept are counted without their line numbers.
        for (int i = 0; i < pending.kept; ++i) {
            items.push_back({pending.lines[static_cast<std::size_t>(i)], slot});
        }
        if (pending.count > pending.kept) {
            int& index = account.skipIndex[static_cast<std::size_t>(slot) * kSkipReasonCount +
                                           static_cast<std::size_t>(reason)];
            if (index < 0) {
                index = static_cast<int>(account.skips.size());
                account.skips.push_back({slot, reason, Occurrences()});
            }
            const std::int64_t extra = pending.count - pending.kept;
            account.skips[static_cast<std::size_t>(index)].at.count += extra;
            account.records[static_cast<std::size_t>(slot)].skipped += extra;
        }
    }
    std::sort(items.begin(), items.end(),
              [](const Item& a, const Item& b) { return a.line < b.line; });
    for (const Item& item : items) RecordSkipped(ReportFile::kGFile, item.slot, reason, item.line);
    m_pendingD = m_pendingE = m_pendingTermGaps = Occurrences();
}

// --- Writers ----------------------------------------------------------------------------------

namespace {

const char* FileTitle(ReportFile file) {
    switch (file) {
        case ReportFile::kSerfil: return "SERFIL";
        case ReportFile::kBFile: return "B-file";
        case ReportFile::kGFile: return "G-file";
    }
    return "";
}

const char* FileKey(ReportFile file) {
    switch (file) {
        case ReportFile::kSerfil: return "serfil";
        case ReportFile::kBFile: return "bfile";
        case ReportFile::kGFile: return "gfile";
    }
    return "";
}

std::string Number(std::int64_t value) { return std::to_string(value); }

void PadRight(std::string& out, std::string_view text, std::size_t width) {
    out.append(text.data(), text.size());
    if (text.size() < width) out.append(width - text.size(), ' ');
}

void PadLeft(std::string& out, std::string_view text, std::size_t width) {
    if (text.size() < width) out.append(width - text.size(), ' ');
    out.append(text.data(), text.size());
}

/// "line 5" or "lines 5, 9, 12", with ", ..." when more occurred than are kept.
void AppendLines(std::string& out, const Occurrences& at) {
    if (at.kept == 0) return;
    out += at.count == 1 ? "line " : "lines ";
    for (int i = 0; i < at.kept; ++i) {
        if (i > 0) out += ", ";
        out += Number(at.lines[static_cast<std::size_t>(i)]);
    }
    if (at.count > at.kept) out += ", ...";
}

void AppendQuotedNames(std::string& out, const WarningTally& tally) {
    for (std::size_t i = 0; i < tally.names.size(); ++i) {
        out += i == 0 ? "  \"" : ", \"";
        out += tally.names[i];
        out += '"';
    }
    if (tally.moreNames) out += ", ...";
}

/// One indented line: text, count and lines, the text padded to `width`.
void AppendDetail(std::string& out, std::string_view text, std::size_t width,
                  const Occurrences& at) {
    out += "      ";
    PadRight(out, text, width);
    PadLeft(out, Number(at.count), 8);
    out += "  ";
    AppendLines(out, at);
}

void AppendRecordTable(std::string& out, const ConversionReport& report, ReportFile file) {
    const FileAccount& account = report.File(file);
    std::size_t width = 0;
    for (const SkipTally& skip : account.skips) {
        width = std::max(width, std::string_view(ConversionReport::ReasonText(skip.reason)).size());
    }
    out += "  record   converted   skipped\n";  // the columns below end under these titles
    for (std::size_t slot = 0; slot < account.records.size(); ++slot) {
        const RecordCount& count = account.records[slot];
        if (count.converted == 0 && count.skipped == 0) continue;
        out += "  ";
        PadRight(out, ConversionReport::TypeName(file, static_cast<int>(slot)), 6);
        PadLeft(out, Number(count.converted), 12);
        PadLeft(out, Number(count.skipped), 10);
        out += '\n';
        for (const SkipTally& skip : account.skips) {
            if (skip.typeSlot != static_cast<int>(slot)) continue;
            AppendDetail(out, ConversionReport::ReasonText(skip.reason), width, skip.at);
            out += '\n';
        }
    }
}

void AppendWarnings(std::string& out, const FileAccount& account) {
    std::size_t width = 0;
    for (int w = 0; w < kReportWarningCount; ++w) {
        if (account.warnings[static_cast<std::size_t>(w)].at.count == 0) continue;
        width = std::max(
            width, std::string_view(ConversionReport::WarningText(static_cast<ReportWarning>(w)))
                       .size());
    }
    if (width == 0) return;
    out += "  warnings\n";
    for (int w = 0; w < kReportWarningCount; ++w) {
        const WarningTally& tally = account.warnings[static_cast<std::size_t>(w)];
        if (tally.at.count == 0) continue;
        AppendDetail(out, ConversionReport::WarningText(static_cast<ReportWarning>(w)), width,
                     tally.at);
        AppendQuotedNames(out, tally);
        out += '\n';
    }
}

// JSON text: strings escaped, bytes that are not UTF-8 taken as Latin-1.
void AppendJsonString(std::string& out, std::string_view text) {
    static const char kHex[] = "0123456789abcdef";
    out += '"';
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7f) {
            out += "\\u00";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            // A well-formed UTF-8 sequence passes as it is.
            std::size_t length = c >= 0xf0 && c <= 0xf4 ? 4 : c >= 0xe0 ? 3 : c >= 0xc2 ? 2 : 0;
            if (length > 0 && i + length <= text.size()) {
                for (std::size_t k = 1; k < length; ++k) {
                    if ((static_cast<unsigned char>(text[i + k]) & 0xc0) != 0x80) length = 0;
                }
            } else {
                length = 0;
            }
            if (length > 0) {
                out.append(text.data() + i, length);
                i += length - 1;
            } else {
                out += static_cast<char>(0xc0 | (c >> 6));
                out += static_cast<char>(0x80 | (c & 0x3f));
            }
        }
    }
    out += '"';
}

void AppendJsonOccurrences(std::string& out, const Occurrences& at) {
    out += "\"count\": " + Number(at.count) + ", \"lines\": [";
    for (int i = 0; i < at.kept; ++i) {
        if (i > 0) out += ", ";
        out += Number(at.lines[static_cast<std::size_t>(i)]);
    }
    out += ']';
}

void AppendJsonFile(std::string& out, const ConversionReport& report, ReportFile file) {
    const FileAccount& account = report.File(file);
    out += "    {\"file\": \"";
    out += FileKey(file);
    out += "\", \"path\": ";
    AppendJsonString(out, account.path);
    out += ", \"complete\": ";
    out += account.complete ? "true" : "false";
    out += ", \"lines\": " + Number(account.lines) + ",\n      \"records\": [";
    bool first = true;
    for (std::size_t slot = 0; slot < account.records.size(); ++slot) {
        const RecordCount& count = account.records[slot];
        if (count.converted == 0 && count.skipped == 0) continue;
        out += first ? "\n" : ",\n";
        first = false;
        out += "        {\"type\": ";
        AppendJsonString(out, ConversionReport::TypeName(file, static_cast<int>(slot)));
        out += ", \"converted\": " + Number(count.converted) +
               ", \"skipped\": " + Number(count.skipped) + ", \"reasons\": [";
        bool firstReason = true;
        for (const SkipTally& skip : account.skips) {
            if (skip.typeSlot != static_cast<int>(slot)) continue;
            out += firstReason ? "\n" : ",\n";
            firstReason = false;
            out += "          {\"reason\": \"";
            out += ConversionReport::ReasonKey(skip.reason);
            out += "\", \"text\": ";
            AppendJsonString(out, ConversionReport::ReasonText(skip.reason));
            out += ", ";
            AppendJsonOccurrences(out, skip.at);
            out += '}';
        }
        out += "]}";
    }
    out += first ? "],\n" : "\n      ],\n";
    out += "      \"warnings\": [";
    first = true;
    for (int w = 0; w < kReportWarningCount; ++w) {
        const WarningTally& tally = account.warnings[static_cast<std::size_t>(w)];
        if (tally.at.count == 0) continue;
        out += first ? "\n" : ",\n";
        first = false;
        out += "        {\"warning\": \"";
        out += ConversionReport::WarningKey(static_cast<ReportWarning>(w));
        out += "\", \"text\": ";
        AppendJsonString(out, ConversionReport::WarningText(static_cast<ReportWarning>(w)));
        out += ", ";
        AppendJsonOccurrences(out, tally.at);
        out += ", \"names\": [";
        for (std::size_t i = 0; i < tally.names.size(); ++i) {
            if (i > 0) out += ", ";
            AppendJsonString(out, tally.names[i]);
        }
        out += tally.moreNames ? "], \"moreNames\": true}" : "], \"moreNames\": false}";
    }
    out += first ? "]" : "\n      ]";
    if (file == ReportFile::kSerfil) {
        const std::int64_t used = report.SerfilNamesUsed();
        const auto& entries = report.SerfilEntries();
        out += ",\n      \"names\": " + Number(static_cast<std::int64_t>(entries.size())) +
               ", \"used\": " + Number(used) + ", \"neverUsed\": [";
        first = true;
        for (const auto& entry : entries) {
            if (entry.used) continue;
            out += first ? "" : ", ";
            first = false;
            out += "{\"name\": ";
            AppendJsonString(out, entry.name);
            out += ", \"line\": " + Number(entry.line) + "}";
        }
        out += ']';
    }
    out += '}';
}

}  // namespace

std::string FormatReportSummary(const ConversionReport& report) {
    std::string out = "Conversion report\n";
    for (const ReportFile file : {ReportFile::kSerfil, ReportFile::kBFile, ReportFile::kGFile}) {
        const FileAccount& account = report.File(file);
        if (!account.read) continue;
        out += FileTitle(file);
        out += "  ";
        out += account.path;
        out += "\n  " + Number(account.lines) + (account.lines == 1 ? " line" : " lines");
        if (!account.complete) out += ", stopped before the end of the file";
        if (file == ReportFile::kSerfil) {
            const auto& entries = report.SerfilEntries();
            const std::int64_t used = report.SerfilNamesUsed();
            const std::int64_t unused = static_cast<std::int64_t>(entries.size()) - used;
            out += "; " + Number(static_cast<std::int64_t>(entries.size())) + " names, " +
                   Number(used) + " used, " + Number(unused) + " never used\n";
            int shown = 0;
            for (const auto& entry : entries) {
                if (entry.used) continue;
                out += shown == 0 ? "      never used: " : ", ";
                if (shown == kKeptLines) {
                    out += "...";
                    break;
                }
                out += '"' + entry.name + "\" (line " + Number(entry.line) + ")";
                ++shown;
            }
            if (shown > 0) out += '\n';
        } else {
            out += '\n';
            AppendRecordTable(out, report, file);
        }
        AppendWarnings(out, account);
    }
    out += "Written: stations " + Number(report.stationsWritten) + ", observations " +
           Number(report.observationsWritten) + ", vectors " + Number(report.vectorsWritten) +
           ", positions " + Number(report.positionsWritten) + "\n";
    return out;
}

std::string FormatReportJson(const ConversionReport& report) {
    std::string out = "{\n  \"message\": " + Number(report.message) + ", \"messageText\": ";
    AppendJsonString(out, report.messageText);
    out += ",\n  \"files\": [";
    bool first = true;
    for (const ReportFile file : {ReportFile::kSerfil, ReportFile::kBFile, ReportFile::kGFile}) {
        if (!report.File(file).read) continue;
        out += first ? "\n" : ",\n";
        first = false;
        AppendJsonFile(out, report, file);
    }
    out += first ? "],\n" : "\n  ],\n";
    out += "  \"written\": {\"stations\": " + Number(report.stationsWritten) +
           ", \"observations\": " + Number(report.observationsWritten) +
           ", \"vectors\": " + Number(report.vectorsWritten) +
           ", \"positions\": " + Number(report.positionsWritten) + "}\n}\n";
    return out;
}
