// A hash index from names to their first position in a list of names: the SERFIL serial
// numbers, the "*25*" serial numbers, the B-file's station names. A look-up takes a view, so it
// makes no copy, and finds what a scan of the list in its order finds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class NameIndex {
public:
    /// Indexes the first `count` entries of `names` (at most its size); of equal names the first
    /// in list order is the one found. The index keeps positions, not copies: it is valid only
    /// while those entries stay as they are, and every call is given that same list.
    void Build(const std::vector<std::string>& names, std::size_t count);
    /// Indexes the last entry of `names`, added after the ones indexed so far (unless an earlier
    /// entry has that name).
    void Add(const std::vector<std::string>& names);
    /// Forgets the entries (the index is then empty, not built).
    void Clear();
    bool IsBuilt() const { return !m_slots.empty(); }

    /// Position in `names` of the first entry equal to `name` byte for byte, or -1.
    int Find(std::string_view name, const std::vector<std::string>& names) const;

private:
    static std::uint64_t Hash(std::string_view text);
    /// Indexes entry `i` unless an equal name has a slot already.
    void Insert(const std::vector<std::string>& names, std::size_t i);
    /// Makes `slots` slots and indexes entries 0 .. `count` - 1 again, in their order.
    void Rehash(const std::vector<std::string>& names, std::size_t slots, std::size_t count);

    std::vector<int> m_slots;  // open addressing: a position in the list, or -1 for a free slot
    std::vector<std::uint32_t> m_tags;  // the high bits of each slot's hash, to pass others fast
    std::size_t m_mask = 0;    // slot count - 1 (a power of two)
    std::size_t m_used = 0;    // slots taken
};
