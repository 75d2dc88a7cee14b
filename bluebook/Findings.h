// What the converter finds about a record: warnings (what deserves a look before the output is
// adjusted), rejections, and notes (what the NGS reading did). Each finding is named once, in
// Findings.inc, with its severity and wordings; a record carries the set of findings about it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class Severity { kWarning, kRejection, kNote };

enum class Finding : std::uint8_t {
#define BB_FINDING(name, severity, namesStations, key, text) name,
#include "bluebook/Findings.inc"
#undef BB_FINDING
};

/// A finding's row: its severity, whether it keeps the names of the stations it concerns, its
/// JSON key and the text the report shows.
struct FindingInfo {
    Finding finding;
    Severity severity;
    bool namesStations;
    const char* key;
    const char* text;
};

inline constexpr FindingInfo kFindings[] = {
#define BB_FINDING(name, severity, namesStations, key, text) \
    {Finding::name, Severity::severity, namesStations, key, text},
#include "bluebook/Findings.inc"
#undef BB_FINDING
};
inline constexpr int kFindingCount = static_cast<int>(sizeof kFindings / sizeof kFindings[0]);

namespace findings_detail {
constexpr bool EachRowStandsAtItsFinding() {
    for (int i = 0; i < kFindingCount; ++i) {
        if (static_cast<int>(kFindings[i].finding) != i) return false;
    }
    return true;
}
}  // namespace findings_detail
static_assert(findings_detail::EachRowStandsAtItsFinding(), "a row per finding, in its order");
static_assert(kFindingCount <= 64, "one bit per finding");

constexpr const FindingInfo& InfoOf(Finding finding) {
    return kFindings[static_cast<int>(finding)];
}

/// One occurrence of a finding with a sentence of its own, as the network checks make them:
/// its line when that is not the line of the record it comes with, the stations it concerns,
/// and what the report and the maps say of it.
struct FindingDetail {
    Finding finding;
    int line = 0;          // 0: the line of the record it comes with
    std::vector<std::string> stations;  // the stations it concerns
    std::string text;      // the whole sentence: "geoid height derived: N = h - H = -23.458 m"
    std::string brief;     // under the finding's title: "N = h - H = -23.458 m"
};

/// The findings about one record, the station the findings that name stations concern, and the
/// occurrences that have a sentence of their own. The station and the details are views, valid
/// as long as the record they came with.
class Findings {
public:
    void Add(Finding finding) { m_bits |= Bit(finding); }
    void Add(Finding finding, std::string_view station) {
        Add(finding);
        m_station = station;
    }
    void Add(const Findings& other) {
        m_bits |= other.m_bits;
        if (!other.m_station.empty()) m_station = other.m_station;
        if (other.m_details != nullptr) m_details = other.m_details;
    }
    /// Adds the findings of `details`, each with its sentence; `details` must outlive the
    /// record, and at most one list of details is kept.
    void Add(const std::vector<FindingDetail>* details) {
        m_details = details;
        for (const FindingDetail& d : *details) Add(d.finding);
    }
    bool Has(Finding finding) const { return (m_bits & Bit(finding)) != 0; }
    bool Any() const { return m_bits != 0; }
    std::string_view Station() const { return m_station; }
    /// The occurrences with a sentence of their own (null: none).
    const std::vector<FindingDetail>* Details() const { return m_details; }
    /// The findings alone, without the views into the record: to keep beyond it.
    Findings Kept() const {
        Findings kept;
        kept.m_bits = m_bits;
        return kept;
    }

    /// Calls `each(finding)` for every finding held, in the order of the table.
    template <typename Each>
    void ForEach(Each each) const {
        for (std::uint64_t bits = m_bits; bits != 0; bits &= bits - 1) {
            each(static_cast<Finding>(__builtin_ctzll(bits)));
        }
    }

    /// Calls `each(text)` with the sentence of every warning and rejection held (notes are
    /// passed over), in the order of the table: each occurrence's own sentence where it has
    /// one, else the finding's text.
    template <typename Each>
    void ForEachWarningText(Each each) const {
        ForEach([&](Finding finding) {
            if (InfoOf(finding).severity == Severity::kNote) return;
            bool detailed = false;
            if (m_details != nullptr) {
                for (const FindingDetail& d : *m_details) {
                    if (d.finding != finding) continue;
                    each(std::string_view(d.text));
                    detailed = true;
                }
            }
            if (!detailed) each(std::string_view(InfoOf(finding).text));
        });
    }

private:
    static std::uint64_t Bit(Finding finding) {
        return std::uint64_t{1} << static_cast<unsigned>(finding);
    }

    std::uint64_t m_bits = 0;
    std::string_view m_station;
    const std::vector<FindingDetail>* m_details = nullptr;
};
