#include "convert/ConversionReport.h"

#include <algorithm>

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

void FindingTally::AddNamed(int line, std::string_view name) {
    at.Add(line);
    if (std::find(names.begin(), names.end(), name) != names.end()) return;
    if (names.size() < kKeptNames) {
        names.emplace_back(name);
    } else {
        moreNames = true;
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
    rejectedWritten = 0;
    message = 0;
    messageText.clear();
    m_serfil.clear();
    m_toCheck = {};
    m_networkChecked = false;
    m_network = NetworkConclusions();
    m_concludedAbout.clear();
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

std::int64_t ConversionReport::SerfilNamesUsed() const {
    return std::count_if(m_serfil.begin(), m_serfil.end(),
                         [](const SerfilName& e) { return e.used; });
}

void ConversionReport::StartFile(ReportFile file, std::string_view path) {
    Account(file).path.assign(path.data(), path.size());
}

void ConversionReport::SetSerfilUse(const std::vector<bool>& used) {
    for (std::size_t i = 0; i < used.size() && i < m_serfil.size(); ++i) {
        m_serfil[i].used = used[i];
    }
}

void ConversionReport::BeginFile(BlueBookFile file) { Account(file).read = true; }

void ConversionReport::EndFile(BlueBookFile file, long long lines, bool reachedEnd) {
    FileAccount& account = Account(file);
    account.lines = lines;
    account.complete = reachedEnd;
    if (reachedEnd && account.readable == 0) {
        Count(file, 0, Finding::kNothingRead, {}, {}, InfoOf(Finding::kNothingRead).text);
    }
}

void ConversionReport::Converted(const RecordRef& at, Names names) {
    FileAccount& account = Account(at.file);
    ++account.records[static_cast<std::size_t>(TypeSlot(at.file, at.type))].converted;
    ++account.readable;
    Tally(at, names);
}

void ConversionReport::Tally(const RecordRef& at, Names names) {
    if (!at.findings.Any()) return;
    const std::vector<FindingDetail>* details = at.findings.Details();
    at.findings.ForEach([&](Finding finding) {
        bool detailed = false;
        for (const FindingDetail& d : details ? *details : std::vector<FindingDetail>()) {
            if (d.finding != finding) continue;
            Count(at.file, d.line > 0 ? d.line : at.line, finding, d.stations, d.brief, d.text);
            detailed = true;
        }
        if (detailed) return;
        std::vector<std::string> stations;
        if (!at.findings.Station().empty()) stations.emplace_back(at.findings.Station());
        for (const std::string_view name : names) {
            if (!name.empty() && stations.empty()) stations.emplace_back(name);
            else if (!name.empty() && stations.front() != name) stations.emplace_back(name);
        }
        Count(at.file, at.line, finding, std::move(stations), {}, InfoOf(finding).text);
    });
}

void ConversionReport::Count(BlueBookFile file, int line, Finding finding,
                             std::vector<std::string> stations, std::string brief,
                             std::string text) {
    FindingTally& tally = Account(file).findings[static_cast<std::size_t>(finding)];
    if (InfoOf(finding).namesStations && !stations.empty()) {
        tally.AddNamed(line, stations.front());
    } else {
        tally.at.Add(line);
    }
    if (InfoOf(finding).severity == Severity::kNote) return;
    ToCheck& list = m_toCheck[static_cast<std::size_t>(finding)];
    ++list.count;
    if (list.listed.size() < kKeptLines) {
        list.listed.push_back({file, line, std::move(stations), std::move(brief), std::move(text)});
    }
}

void ConversionReport::Concluded(NetworkConclusions conclusions) {
    m_networkChecked = true;
    for (const FindingDetail& d : conclusions.findings) {
        Count(BlueBookFile::kBFile, d.line, d.finding, d.stations, d.brief, d.text);
        if (!d.stations.empty()) m_concludedAbout[d.stations.front()].push_back(d);
    }
    m_network = std::move(conclusions);
}

const std::vector<FindingDetail>* ConversionReport::ConcludedAbout(std::string_view name) const {
    const auto found = m_concludedAbout.find(std::string(name));
    return found == m_concludedAbout.end() ? nullptr : &found->second;
}

Attention ConversionReport::WhatDeservesALook() const {
    Attention attention;
    for (const FileAccount& account : m_files) {
        for (const FindingInfo& info : kFindings) {
            const std::int64_t count =
                account.findings[static_cast<std::size_t>(info.finding)].at.count;
            if (info.severity == Severity::kWarning) attention.warnings += count;
            if (info.severity == Severity::kRejection) attention.rejected += count;
        }
    }
    return attention;
}

int ConversionReport::Serfil(const SerfilEntry& entry) {
    m_serfil.push_back({std::string(entry.name), entry.at.line, false});
    Converted(entry.at);
    return 0;
}

int ConversionReport::Datum(const DatumRecord& datum) {
    if (datum.found) Converted(datum.at);
    return 0;
}

int ConversionReport::StationId(const StationIdRecord& r) {
    Converted(r.at);
    return 0;
}

int ConversionReport::StationPart(const ::StationPart& part) {
    Converted(part.at, {part.station});
    return 0;
}

int ConversionReport::Station(const StationRecord& s) {
    Tally(s.at, {s.name});
    if (!s.at.findings.Has(Finding::kNotFinite)) ++stationsWritten;
    return 0;
}

int ConversionReport::Observation(const RecordRef& at, Names names) {
    Converted(at, names);
    if (!at.findings.Has(Finding::kNotFinite)) {
        ++(at.reject.mark != 0 ? rejectedWritten : observationsWritten);
    }
    return 0;
}

int ConversionReport::VectorSet(const VectorSetRecord& set) {
    for (std::size_t i = 0; i < set.memberCount; ++i) {
        const SetMember& member = set.members[i];
        const RecordRef at{ReportFile::kGFile, member.line, std::string_view(&member.type, 1), {},
                           member.findings};
        if (member.vector < 1) {
            Converted(at);
            continue;
        }
        const GpsVector& v = set.vectors[member.vector - 1];
        Converted(at, {v.fromStation, v.toStation});
    }
    Converted(set.at);
    for (int j = 0; j < set.count && j < kMaxVectors; ++j) {
        if (set.marks[j].notFinite) continue;
        ++(set.marks[j].reject.mark != 0 ? rejectedWritten : vectorsWritten);
    }
    return 0;
}

int ConversionReport::Position(const PositionRecord& r) {
    Converted(r.at, {r.station});
    if (!r.at.findings.Has(Finding::kNotFinite)) ++positionsWritten;
    return 0;
}

void ConversionReport::Skipped(const RecordRef& at, SkipReason reason) {
    FileAccount& account = Account(at.file);
    const int slot = TypeSlot(at.file, at.type);
    ++account.records[static_cast<std::size_t>(slot)].skipped;
    if (reason != SkipReason::kUnsupportedType && reason != SkipReason::kTypeAtColumn1) {
        ++account.readable;  // a record this converter reads, left out for its contents
    }
    int& index = account.skipIndex[static_cast<std::size_t>(slot) * kSkipReasonCount +
                                   static_cast<std::size_t>(reason)];
    if (index < 0) {
        index = static_cast<int>(account.skips.size());
        account.skips.push_back({slot, reason, Occurrences()});
    }
    account.skips[static_cast<std::size_t>(index)].at.Add(at.line);
    Tally(at, {});
}

