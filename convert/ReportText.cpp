// The conversion report as text: the summary for a terminal and the JSON for scripts.
#include <algorithm>

#include "convert/ConversionReport.h"
#include "convert/JsonText.h"

namespace {

/// The text the summary shows and the key the JSON gives, of each reason and warning.
struct Wording {
    const char* text;
    const char* key;
};

constexpr Wording kReasons[] = {
    {"record type not converted", "unsupported-type"},
    {"code letter selects nothing", "code-selects-nothing"},
    {"continues another set", "other-set"},
    {"station without an earlier *80*", "no-earlier-station"},
    {"datum record after the first", "later-datum"},
    {"columns 1 to 6 blank, type not read", "type-at-column-1"},
    {"before any B record", "before-first-b"},
    {"vector set never closed", "set-never-closed"},
    {"beyond the vector count of its B record", "beyond-vector-count"},
    {"beyond 99 vectors in one set", "too-many-vectors"},
    {"*25* without serial number or ID", "blank-station-id"},
};
static_assert(sizeof kReasons / sizeof kReasons[0] == kSkipReasonCount, "one per reason");

/// Each file's title in the summary and key in the JSON.
constexpr Wording kFiles[] = {{"SERFIL", "serfil"}, {"B-file", "bfile"}, {"G-file", "gfile"}};

const char* FileTitle(ReportFile file) { return kFiles[static_cast<int>(file)].text; }

/// A finding as it reads under its file: "the B-file held no record this converter reads".
std::string TextIn(ReportFile file, Finding finding) {
    if (finding != Finding::kNothingRead) return InfoOf(finding).text;
    return std::string("the ") + (file == ReportFile::kSerfil ? "SERFIL file" : FileTitle(file)) +
           " " + InfoOf(finding).text;
}

bool IsNote(Finding finding) { return InfoOf(finding).severity == Severity::kNote; }
const char* FileKey(ReportFile file) { return kFiles[static_cast<int>(file)].key; }

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
    if (at.lines.empty()) return;
    out += at.count == 1 ? "line " : "lines ";
    const std::size_t shown = std::min(at.lines.size(), kShownLines);
    for (std::size_t i = 0; i < shown; ++i) {
        if (i > 0) out += ", ";
        out += Number(at.lines[i]);
    }
    if (at.count > static_cast<std::int64_t>(shown)) out += ", ...";
}

void AppendQuotedNames(std::string& out, const FindingTally& tally) {
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
    if (at.lines.empty()) return;
    out += "  ";
    AppendLines(out, at);
}

void AppendRecordTable(std::string& out, const ConversionReport& report, ReportFile file) {
    const FileAccount& account = report.File(file);
    std::size_t width = 0;
    for (const SkipTally& skip : account.skips) {
        width = std::max(width, std::string_view(ReasonText(skip.reason)).size());
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
            AppendDetail(out, ReasonText(skip.reason), width, skip.at);
            out += '\n';
        }
    }
}

/// The findings of one severity under their title ("warnings" or "notes"), in table order.
void AppendFindings(std::string& out, const FileAccount& account, ReportFile file, bool notes) {
    std::size_t width = 0;
    for (const FindingInfo& info : kFindings) {
        if (IsNote(info.finding) != notes) continue;
        if (account.findings[static_cast<std::size_t>(info.finding)].at.count == 0) continue;
        width = std::max(width, TextIn(file, info.finding).size());
    }
    if (width == 0) return;
    out += notes ? "  notes\n" : "  warnings\n";
    for (const FindingInfo& info : kFindings) {
        const FindingTally& tally = account.findings[static_cast<std::size_t>(info.finding)];
        if (IsNote(info.finding) != notes || tally.at.count == 0) continue;
        AppendDetail(out, TextIn(file, info.finding), width, tally.at);
        if (!notes) AppendQuotedNames(out, tally);
        out += '\n';
    }
}

void AppendJsonOccurrences(std::string& out, const Occurrences& at) {
    out += "\"count\": " + Number(at.count) + ", \"lines\": [";
    for (std::size_t i = 0; i < at.lines.size(); ++i) {
        if (i > 0) out += ", ";
        out += Number(at.lines[i]);
    }
    out += ']';
}

/// The "records" array of a file: per record type its counts and skip reasons.
void AppendJsonRecords(std::string& out, const FileAccount& account, ReportFile file) {
    out += "\"records\": [";
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
            out += ReasonKey(skip.reason);
            out += "\", \"text\": ";
            AppendJsonString(out, ReasonText(skip.reason));
            out += ", ";
            AppendJsonOccurrences(out, skip.at);
            out += '}';
        }
        out += "]}";
    }
    out += first ? "]" : "\n      ]";
}

/// The "warnings" or the "notes" array of a file.
void AppendJsonFindings(std::string& out, const FileAccount& account, ReportFile file,
                        bool notes) {
    out += notes ? "\"notes\": [" : "\"warnings\": [";
    bool first = true;
    for (const FindingInfo& info : kFindings) {
        const FindingTally& tally = account.findings[static_cast<std::size_t>(info.finding)];
        if (IsNote(info.finding) != notes || tally.at.count == 0) continue;
        out += first ? "\n" : ",\n";
        first = false;
        out += notes ? "        {\"note\": \"" : "        {\"warning\": \"";
        out += info.key;
        out += "\", \"text\": ";
        AppendJsonString(out, TextIn(file, info.finding));
        out += ", ";
        AppendJsonOccurrences(out, tally.at);
        if (notes) {
            out += '}';
            continue;
        }
        out += ", \"names\": [";
        for (std::size_t i = 0; i < tally.names.size(); ++i) {
            if (i > 0) out += ", ";
            AppendJsonString(out, tally.names[i]);
        }
        out += tally.moreNames ? "], \"moreNames\": true}" : "], \"moreNames\": false}";
    }
    out += first ? "]" : "\n      ]";
}

/// The SERFIL file's names: how many, how many used, and those never used.
void AppendJsonSerfilNames(std::string& out, const ConversionReport& report) {
    const auto& entries = report.SerfilEntries();
    out += ",\n      \"names\": " + Number(static_cast<std::int64_t>(entries.size())) +
           ", \"used\": " + Number(report.SerfilNamesUsed()) + ", \"neverUsed\": [";
    bool first = true;
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

void AppendJsonFile(std::string& out, const ConversionReport& report, ReportFile file) {
    const FileAccount& account = report.File(file);
    out += "    {\"file\": \"";
    out += FileKey(file);
    out += "\", \"path\": ";
    AppendJsonString(out, account.path);
    out += ", \"complete\": ";
    out += account.complete ? "true" : "false";
    out += ", \"lines\": " + Number(account.lines) + ",\n      ";
    AppendJsonRecords(out, account, file);
    out += ",\n      ";
    AppendJsonFindings(out, account, file, false);
    out += ",\n      ";
    AppendJsonFindings(out, account, file, true);
    if (file == ReportFile::kSerfil) AppendJsonSerfilNames(out, report);
    out += '}';
}

}  // namespace

const char* ReasonText(SkipReason reason) { return kReasons[static_cast<int>(reason)].text; }
const char* ReasonKey(SkipReason reason) { return kReasons[static_cast<int>(reason)].key; }

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
                if (shown == static_cast<int>(kShownLines)) {
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
        AppendFindings(out, account, file, false);
        AppendFindings(out, account, file, true);
    }
    out += "Written: stations " + Number(report.stationsWritten) + ", observations " +
           Number(report.observationsWritten) + ", vectors " + Number(report.vectorsWritten) +
           ", positions " + Number(report.positionsWritten);
    if (report.rejectedWritten > 0) {
        out += "; rejected, as comments: " + Number(report.rejectedWritten);
    }
    out += "\n";
    return out;
}

std::string FormatReportJson(const ConversionReport& report) {
    std::string out = "{\n  \"format\": " + Number(kReportJsonFormat) +
                      ",\n  \"message\": " + Number(report.message) + ", \"messageText\": ";
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
           ", \"positions\": " + Number(report.positionsWritten) +
           ", \"rejected\": " + Number(report.rejectedWritten) + "}\n}\n";
    return out;
}
