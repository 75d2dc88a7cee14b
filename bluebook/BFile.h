// The B-file reader: three passes from the first line. The datum pass finds the first "*13*"
// record; the station pass gathers "*80*", "*85*" and "*86*" records into the station table;
// the observation pass reads the observation records in file order.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "bluebook/InputFile.h"
#include "bluebook/RecordLine.h"
#include "bluebook/Receiver.h"
#include "bluebook/StationNames.h"

/// One station of the B-file: made by its "*80*" record, completed by the "*85*" and "*86*"
/// records that follow it. Angles are packed DMS (south and west negative), heights metres,
/// deflections and their standard deviations seconds of arc. A value no record sets stays 0.0.
struct BFileStation {
    std::string name;              // the station field, or its SERFIL name (at most 4 characters)
    int line = 0;                  // of its "*80*" record
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

/// Reads the B-file `in` (open, at its start) in its three passes and hands what it reads to
/// `receiver`: the datum (once, at the end of the datum pass, found or not), each station
/// record as it is read and each table entry after the station pass, then the observations.
/// Station fields take their names from `names`. `lineCounter` counts the lines of the running
/// pass from 0. Returns 0; 1501 when memory runs out; 1518 on a read error or a failed rewind
/// (`lineCounter` at the failing read); or the first failure code of `receiver`.
int ReadBFile(InputFile& in, StationNames& names, BlueBookReceiver& receiver, int& lineCounter);

/// The observation pass: reads `in` from where it stands (the start) to its end. `lineCounter`
/// counts on from its value. `lines` receives the significant lines read. Returns as ReadBFile.
int ReadBFileObservations(InputFile& in, StationNames& names, BlueBookReceiver& receiver,
                          int& lineCounter, long long& lines);

/// The record type of a B-file line: columns 7 to 10.
inline std::string_view BFileRecordType(std::string_view line) { return GetFieldText(7, 4, line); }

/// Hands on the warnings of a record that was converted: a rejection mark in column 6, and
/// numbers with blanks after their digits.
void WarnAboutConvertedRecord(BlueBookReceiver& receiver, const RecordRef& at,
                              std::string_view line, bool digitsThenBlanks);
