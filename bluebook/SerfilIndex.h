// A hash index over the SERFIL serial numbers, so that the station look-up of a conversion does
// not scan every name for every station field of a large B-file or G-file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class SerfilIndex {
public:
    /// Indexes the first `count` entries of `numbers` (at most its size); of equal numbers the
    /// first in list order is the one found. The index keeps positions, not copies: it is valid
    /// only while `numbers` stays as it was, and every Find is given that same list.
    void Build(const std::vector<std::string>& numbers, std::size_t count);
    /// Forgets the entries (the index is then empty, not built).
    void Clear();
    bool IsBuilt() const { return !m_slots.empty(); }

    /// Position in `numbers` of the first entry equal to `field` byte for byte, or -1.
    int Find(std::string_view field, const std::vector<std::string>& numbers) const;

private:
    static std::size_t Hash(std::string_view text);

    std::vector<int> m_slots;  // open addressing: a position in the list, or -1 for a free slot
    std::size_t m_mask = 0;    // slot count - 1 (a power of two)
};
