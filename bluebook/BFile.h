// What the B-file passes share: the station table of the "*80*", "*85*" and "*86*" records,
// its lookup, and the observation pass.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class BlueBookConverter;
class InputFile;
class OutputFile;

/// One station of the B-file: made by its "*80*" record, completed by the "*85*" and "*86*"
/// records that follow it. Angles are packed DMS (south and west negative), heights metres,
/// deflections and their standard deviations seconds of arc. A value no record sets stays 0.0.
struct BFileStation {
    std::string name;              // the station field, or its SERFIL name (at most 4 characters)
    double latitude = 0.0;         // DD.MMSSsssss
    double longitude = 0.0;        // DDD.MMSSsssss
    double orthoHeight = 0.0;      // elevation; "*80*", replaced by "*86*"
    double geoidHeight = 0.0;      // 0.0 until a "*86*" record gives it
    double ellipsoidHeight = 0.0;  // the elevation until a "*86*" record gives it
    double xi = 0.0;               // north-south deflection component
    double xiSd = 0.0;
    double eta = 0.0;              // east-west deflection component
    double etaSd = 0.0;
};

/// The stations in the order of their "*80*" records. It grows without limit; entries are never
/// removed or reordered, and a name may occur in several entries. An index from each name to
/// its first entry keeps the lookup constant in time.
class BFileStationTable {
public:
    BFileStationTable();

    int Count() const { return static_cast<int>(m_entries.size()); }
    BFileStation& operator[](int index) { return m_entries[static_cast<std::size_t>(index)]; }
    const BFileStation& operator[](int index) const {
        return m_entries[static_cast<std::size_t>(index)];
    }

    /// Appends a zero-filled entry for `name` and returns it (valid until the next Append).
    BFileStation& Append(std::string_view name);

    /// Index of the first entry named exactly `name` (byte for byte), or -1.
    int FirstIndexOf(std::string_view name) const;

private:
    std::vector<BFileStation> m_entries;
    std::unordered_map<std::string, int> m_firstIndex;
};

/// Index of the first of the first `count` entries of `table` whose name equals `name` exactly
/// (byte for byte, case-sensitive); -1 when there is none or `count` is 0 or less.
int FindStation(std::string_view name, const BFileStationTable& table, int count);

/// The observation pass: reads `bFile` from where it stands (the start) to its end and writes one
/// compact record per supported observation record, in file order. `lineCounter` counts on from
/// its value (0 at the start of the pass). Stops at the first failure: `result` becomes 1518 on
/// a read error (with `lineCounter` at the failing read), or keeps the writer's 1517.
void ConvertBFileObservations(BlueBookConverter& converter, InputFile& bFile, OutputFile& out,
                              int& lineCounter, int& result);
