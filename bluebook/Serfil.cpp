// The SERFIL file: station names (columns 1 to 4) for station serial numbers (columns 8 to 18).
#include <algorithm>
#include <climits>

#include "bluebook/InputFile.h"
#include "bluebook/RecordLine.h"
#include "convert/BlueBookConverter.h"
#include "convert/ConversionReport.h"
#include "convert/Messages.h"

namespace {

/// The serial number of a SERFIL line: columns 8 to 18 as cut, ended at the first blank that
/// follows a non-blank character. Real files carry the station's full name after the number.
std::string_view SerialNumber(std::string_view line) {
    std::string_view field = GetFieldText(8, 11, line);
    std::size_t i = 0;
    while (i < field.size() && IsBlank(field[i])) ++i;
    while (i < field.size() && !IsBlank(field[i])) ++i;
    return field.substr(0, i);
}

}  // namespace

void BlueBookConverter::ReadSerfil(int& lineCounter, int& result) {
    m_serfilNumbers.clear();
    m_serfilNames.clear();
    lineCounter = 0;
    result = 0;
    InputFile serfil;
    if (!serfil.Open(m_serfilPath)) {
        result = kMsgCannotOpen;
        return;
    }
    if (m_report) m_report->StartFile(ReportFile::kSerfil, m_serfilPath);
    std::string line;
    while (result == 0) {
        ReadDataLine(serfil, line, lineCounter, result);
        if (result > 0) break;
        if (line.empty()) {
            if (m_report) m_report->FinishFile(ReportFile::kSerfil);
            break;
        }
        m_serfilNames.emplace_back(GetFieldText(1, 4, line));
        m_serfilNumbers.emplace_back(SerialNumber(line));
        if (m_report) {
            m_report->CountLine(ReportFile::kSerfil);
            m_report->AddSerfilEntry(m_serfilNames.back(), lineCounter);
        }
    }
}

std::string_view BlueBookConverter::GetFieldStation(int column, int width,
                                                    std::string_view line) const {
    const std::string_view field = GetFieldText(column, width, line);
    const std::size_t count = std::min(m_serfilNumbers.size(), m_serfilNames.size());
    std::size_t found = count;
    if (m_serfilIndex.IsBuilt()) {
        const int i = m_serfilIndex.Find(field, m_serfilNumbers);
        if (i >= 0) found = static_cast<std::size_t>(i);
    } else {
        found = 0;
        while (found < count && m_serfilNumbers[found] != field) ++found;
    }
    if (found >= count) return field;
    if (m_report) m_report->NoteSerfilUse(found);
    return std::string_view(m_serfilNames[found]).substr(0, static_cast<std::size_t>(width));
}

BlueBookConverter::SerfilIndexScope::SerfilIndexScope(BlueBookConverter& converter)
    : m_converter(converter) {
    const std::size_t count =
        std::min(converter.m_serfilNumbers.size(), converter.m_serfilNames.size());
    converter.m_serfilIndex.Build(converter.m_serfilNumbers, count);
}

BlueBookConverter::SerfilIndexScope::~SerfilIndexScope() { m_converter.m_serfilIndex.Clear(); }

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
