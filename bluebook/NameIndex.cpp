#include "bluebook/NameIndex.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>

void NameIndex::Build(const std::vector<std::string>& names, std::size_t count) {
    Clear();
    count = std::min(count, names.size());
    if (count == 0 || count > INT_MAX / 4) return;  // nothing to index, or left to a scan
    std::size_t slots = 16;
    while (slots < 4 * count) slots *= 2;  // at most a quarter full: a miss stops soon
    Rehash(names, slots, count);
}

void NameIndex::Add(const std::vector<std::string>& names) {
    if (names.empty() || names.size() > INT_MAX / 4) return;
    const std::size_t count = names.size();
    // A table that grows stays at most half full: it is looked up less than a SERFIL index.
    if (2 * (m_used + 1) > m_slots.size()) {
        Rehash(names, std::max<std::size_t>(16, 2 * m_slots.size()), count - 1);
    }
    Insert(names, count - 1);
}

void NameIndex::Clear() {
    m_slots.clear();
    m_tags.clear();
    m_mask = 0;
    m_used = 0;
}

void NameIndex::Rehash(const std::vector<std::string>& names, std::size_t slots,
                       std::size_t count) {
    m_slots.assign(slots, -1);
    m_tags.assign(slots, 0);
    m_mask = slots - 1;
    m_used = 0;
    for (std::size_t i = 0; i < count; ++i) Insert(names, i);
}

void NameIndex::Insert(const std::vector<std::string>& names, std::size_t i) {
    const std::size_t hash = Hash(names[i]);
    const auto tag = static_cast<std::uint32_t>(hash >> 32);
    for (std::size_t slot = hash & m_mask;; slot = (slot + 1) & m_mask) {
        const int held = m_slots[slot];
        if (held < 0) {
            m_slots[slot] = static_cast<int>(i);
            m_tags[slot] = tag;
            ++m_used;
            return;
        }
        // The first one stays.
        if (m_tags[slot] == tag && names[static_cast<std::size_t>(held)] == names[i]) return;
    }
}

int NameIndex::Find(std::string_view name, const std::vector<std::string>& names) const {
    if (m_slots.empty()) return -1;
    const std::size_t hash = Hash(name);
    const auto tag = static_cast<std::uint32_t>(hash >> 32);
    for (std::size_t slot = hash & m_mask;; slot = (slot + 1) & m_mask) {
        const int held = m_slots[slot];
        if (held < 0) return -1;
        if (m_tags[slot] != tag) continue;
        const std::size_t i = static_cast<std::size_t>(held);
        if (i < names.size() && names[i] == name) return held;
    }
}

std::uint64_t NameIndex::Hash(std::string_view text) {
    // Station fields are four characters: take them as one number, mixed by a multiplication
    // whose high bits reach every slot.
    std::uint64_t key = text.size();
    std::size_t i = 0;
    for (; i + 4 <= text.size(); i += 4) {
        std::uint32_t four = 0;
        std::memcpy(&four, text.data() + i, 4);
        key = (key ^ four) * 0x9E3779B97F4A7C15ull;
    }
    for (; i < text.size(); ++i) {
        key = (key ^ static_cast<unsigned char>(text[i])) * 0x9E3779B97F4A7C15ull;
    }
    return key ^ (key >> 29);
}
