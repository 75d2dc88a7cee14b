// What the converter finds about a record: warnings (what deserves a look before the output is
// adjusted), rejections, and notes (what the NGS reading did). Each finding is named once, in
// Findings.inc, with its severity and wordings; a record carries the set of findings about it.
#pragma once

#include <cstdint>
#include <string_view>

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

/// The findings about one record, and the station the findings that name stations concern.
/// The station is a view, valid as long as the record it came with.
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
    }
    bool Has(Finding finding) const { return (m_bits & Bit(finding)) != 0; }
    bool Any() const { return m_bits != 0; }
    std::string_view Station() const { return m_station; }

    /// Calls `each(finding)` for every finding held, in the order of the table.
    template <typename Each>
    void ForEach(Each each) const {
        for (std::uint64_t bits = m_bits; bits != 0; bits &= bits - 1) {
            each(static_cast<Finding>(__builtin_ctzll(bits)));
        }
    }

private:
    static std::uint64_t Bit(Finding finding) {
        return std::uint64_t{1} << static_cast<unsigned>(finding);
    }

    std::uint64_t m_bits = 0;
    std::string_view m_station;
};
