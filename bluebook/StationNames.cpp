#include "bluebook/StationNames.h"

#include <algorithm>
#include <climits>

#include "bluebook/RecordLine.h"

void StationNames::Index(const std::vector<std::string>& numbers,
                         const std::vector<std::string>& names) {
    m_numbers = &numbers;
    m_names = &names;
    m_count = std::min(numbers.size(), names.size());
    m_index.Build(numbers, m_count);
    if (m_used.size() != m_count) m_used.assign(m_count, false);
}

void StationNames::Unindex() {
    m_index.Clear();
    m_numbers = m_names = nullptr;
    m_count = 0;
}

std::string_view StationNames::Lookup(std::string_view field, std::size_t width, bool stationIds,
                                     bool& fromStationId) {
    std::size_t found = m_count;
    if (m_numbers != nullptr && m_count > 0) found = FindSerfilEntry(field);
    if (found < m_count) {
        m_used[found] = true;
        return std::string_view((*m_names)[found]).substr(0, width);
    }
    if (stationIds && !m_stationIds.empty()) {
        const auto id = m_stationIds.find(std::string(field));
        if (id != m_stationIds.end()) {
            fromStationId = true;
            return std::string_view(id->second).substr(0, width);
        }
    }
    return field;
}

bool StationNames::AddStationId(std::string_view serialNumber, std::string_view stationId) {
    const auto blank = [](std::string_view text) {
        for (const char c : text) {
            if (!IsBlank(c)) return false;
        }
        return true;
    };
    if (blank(serialNumber) || blank(stationId)) return false;
    m_stationIds.emplace(std::string(serialNumber), std::string(stationId));
    return true;
}

std::size_t StationNames::FindSerfilEntry(std::string_view field) const {
    std::size_t found = m_count;
    if (m_index.IsBuilt()) {
        const int i = m_index.Find(field, *m_numbers);
        if (i >= 0) found = static_cast<std::size_t>(i);
    } else {
        found = 0;  // more entries than the index takes: scan
        while (found < m_count && (*m_numbers)[found] != field) ++found;
    }
    return found;
}

std::string_view LookupStationName(std::string_view field, std::size_t width,
                                   const std::vector<std::string>& numbers,
                                   const std::vector<std::string>& names) {
    const std::size_t count = std::min(numbers.size(), names.size());
    for (std::size_t i = 0; i < count; ++i) {
        if (numbers[i] == field) return std::string_view(names[i]).substr(0, width);
    }
    return field;
}

void SerfilIndex::Build(const std::vector<std::string>& numbers, std::size_t count) {
    Clear();
    count = std::min(count, numbers.size());
    if (count == 0 || count > INT_MAX / 4) return;  // nothing to index, or left to the scan
    std::size_t slots = 16;
    while (slots < 2 * count) slots *= 2;  // at most half full
    m_slots.assign(slots, -1);
    m_mask = slots - 1;
    for (std::size_t i = 0; i < count; ++i) {
        std::size_t slot = Hash(numbers[i]) & m_mask;
        for (;;) {
            const int held = m_slots[slot];
            if (held < 0) {
                m_slots[slot] = static_cast<int>(i);
                break;
            }
            if (numbers[static_cast<std::size_t>(held)] == numbers[i]) break;  // first one stays
            slot = (slot + 1) & m_mask;
        }
    }
}

void SerfilIndex::Clear() {
    m_slots.clear();
    m_mask = 0;
}

int SerfilIndex::Find(std::string_view field, const std::vector<std::string>& numbers) const {
    if (m_slots.empty()) return -1;
    for (std::size_t slot = Hash(field) & m_mask;; slot = (slot + 1) & m_mask) {
        const int held = m_slots[slot];
        if (held < 0) return -1;
        const std::size_t i = static_cast<std::size_t>(held);
        if (i < numbers.size() && numbers[i] == field) return held;
    }
}

std::size_t SerfilIndex::Hash(std::string_view text) {
    std::size_t hash = 2166136261u;  // FNV-1a
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 16777619u;
    }
    return hash;
}
