#include "bluebook/StationNames.h"

#include <algorithm>

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
    if (stationIds && !m_ids.empty()) {
        if (!m_idIndexCurrent) {
            m_idIndex.Build(m_idSerials, m_idSerials.size());
            m_idIndexCurrent = true;
        }
        const int id = m_idIndex.Find(field, m_idSerials);
        if (id >= 0) {
            fromStationId = true;
            return std::string_view(m_ids[static_cast<std::size_t>(id)]).substr(0, width);
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
    // The index keeps the first of equal numbers; later ones are kept but never found.
    m_idSerials.emplace_back(serialNumber);
    m_ids.emplace_back(stationId);
    m_idIndexCurrent = false;
    return true;
}

void StationNames::ForgetStationIds() {
    m_idSerials.clear();
    m_ids.clear();
    m_idIndex.Clear();
    m_idIndexCurrent = true;
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
