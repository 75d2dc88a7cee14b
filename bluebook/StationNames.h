// Station names for serial numbers: B-file and G-file records name stations by serial number,
// and the SERFIL file pairs serial numbers with names. The look-up keeps the first entry of a
// number and remembers which entries it used.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "bluebook/SerfilIndex.h"

class StationNames {
public:
    /// Indexes the parallel lists (the first min(sizes) entries). They must stay unchanged while
    /// indexed; without an index each look-up scans them, so changed lists are always seen.
    void Index(const std::vector<std::string>& numbers, const std::vector<std::string>& names);
    void Unindex();

    /// The name for station field `field` of a record (as cut, at most `width` characters): the
    /// name of the first entry whose number equals it byte for byte, cut to `width`; otherwise
    /// the field itself. The view stays valid until the lists or the line change.
    std::string_view Lookup(std::string_view field, std::size_t width);

    /// Which of the indexed entries a look-up used since the use was last forgotten.
    const std::vector<bool>& Used() const { return m_used; }
    void ForgetUse() { m_used.clear(); }

private:
    const std::vector<std::string>* m_numbers = nullptr;
    const std::vector<std::string>* m_names = nullptr;
    std::size_t m_count = 0;
    SerfilIndex m_index;
    std::vector<bool> m_used;
};

/// The same look-up over lists that are not indexed, without noting the use.
std::string_view LookupStationName(std::string_view field, std::size_t width,
                                   const std::vector<std::string>& numbers,
                                   const std::vector<std::string>& names);
