// Station names for serial numbers: B-file and G-file records name stations by serial number.
// The SERFIL file pairs serial numbers with names; a GPS project's B-file pairs them with
// station IDs in its "*25*" records. A SERFIL entry wins; of several entries for one number the
// first counts. The look-up remembers which SERFIL entries it used.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "bluebook/NameIndex.h"

class StationNames {
public:
    /// Indexes the parallel lists (the first min(sizes) entries). They must stay unchanged while
    /// indexed; without an index each look-up scans them, so changed lists are always seen.
    void Index(const std::vector<std::string>& numbers, const std::vector<std::string>& names);
    void Unindex();

    /// The name for station field `field` of a record (as cut, at most `width` characters): the
    /// name of the first SERFIL entry whose number equals it byte for byte, cut to `width`;
    /// else, when `stationIds` is true, the station ID a "*25*" record gave that number; else
    /// the field itself. `fromStationId` is set when the name is a station ID. The view stays
    /// valid until the lists, the IDs or the line change.
    std::string_view Lookup(std::string_view field, std::size_t width, bool stationIds,
                            bool& fromStationId);
    /// Lookup without the station IDs.
    std::string_view Lookup(std::string_view field, std::size_t width) {
        bool unused = false;
        return Lookup(field, width, false, unused);
    }

    /// Takes the station ID of a "*25*" record for `serialNumber`, unless an earlier record
    /// gave that number one. Both are as cut; blank ones are ignored (false).
    bool AddStationId(std::string_view serialNumber, std::string_view stationId);
    void ForgetStationIds();

    /// Which of the indexed entries a look-up used since the use was last forgotten.
    const std::vector<bool>& Used() const { return m_used; }
    void ForgetUse() { m_used.clear(); }

private:
    /// The first indexed entry whose number equals `field`, or m_count.
    std::size_t FindSerfilEntry(std::string_view field) const;

    const std::vector<std::string>* m_numbers = nullptr;
    const std::vector<std::string>* m_names = nullptr;
    std::size_t m_count = 0;
    NameIndex m_index;
    std::vector<bool> m_used;
    // The "*25*" station IDs: serial numbers and IDs in parallel, the first of a number only,
    // and their index, built again at the first look-up after an addition.
    std::vector<std::string> m_idSerials;
    std::vector<std::string> m_ids;
    NameIndex m_idIndex;
    bool m_idIndexCurrent = true;
};

/// The same look-up over lists that are not indexed, without noting the use.
std::string_view LookupStationName(std::string_view field, std::size_t width,
                                   const std::vector<std::string>& numbers,
                                   const std::vector<std::string>& names);
