// The B-file reader: two passes from the first line. The first finds the first "*13*" record,
// the "*25*" station IDs and the "*80*", "*85*" and "*86*" records, which make the station table
// once the pass is over; the observation pass reads the observation records in file order.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "bluebook/BFileTypes.h"
#include "bluebook/Fields.h"
#include "bluebook/InputFile.h"
#include "bluebook/NameIndex.h"
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
    int heightsLine = 0;           // of the "*86*" record that gave the heights; 0: none
    HeightOrigin orthoFrom = HeightOrigin::kElevation;  // kBlank: a blank elevation
    HeightOrigin geoidFrom = HeightOrigin::kElevation;
    HeightOrigin ellipsoidFrom = HeightOrigin::kElevation;
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
    std::vector<std::string> m_names;  // of the entries, for the index
    NameIndex m_firstIndex;
};

/// Index of the first of the first `count` entries of `table` whose name equals `name` exactly
/// (byte for byte, case-sensitive); -1 when there is none or `count` is 0 or less.
int FindStation(std::string_view name, const BFileStationTable& table, int count);

/// Reads the B-file `in` (open, at its start) in its passes and hands what it reads to
/// `receiver`: the datum (once: when the first "*13*" is read, or at the end of the first pass
/// when there is none), then each station record in file order and each table entry, then the
/// observations. Station fields take their names from `names`; in the NGS reading the first
/// pass also gives `names` the station IDs of the "*25*" records. `lineCounter` counts the
/// lines of the running pass from 0. Returns 0; 1501 when memory runs out; 1518 on a read error or a failed rewind
/// (`lineCounter` at the failing read); 1520 when the file changed between or during its
/// passes; or the first failure code of `receiver`.
int ReadBFile(InputFile& in, StationNames& names, Reading reading, BlueBookReceiver& receiver,
              int& lineCounter);

/// "*25*": a station's ID (columns 21 to 24) for its serial number (columns 11 to 14).
constexpr Field k25SerialNumber{11, 4};
constexpr Field k25StationId{21, 4};

/// The record type of a B-file line: columns 7 to 10.
inline std::string_view BFileRecordType(std::string_view line) { return GetFieldText(7, 4, line); }

/// What every pass of the B-file reader shares: how it reads, where names come from, where the
/// records go, and the line as it takes it.
class BFilePass {
public:
    BFilePass(InputFile& in, StationNames& names, Reading reading, BlueBookReceiver& receiver,
              int& lineCounter)
        : m_in(in), m_names(names), m_reading(reading), m_receiver(receiver),
          m_lineCounter(lineCounter) {}

    InputFile& In() { return m_in; }
    Reading GetReading() const { return m_reading; }
    BlueBookReceiver& Receiver() { return m_receiver; }
    int& LineCounter() { return m_lineCounter; }
    StationNames& Names() { return m_names; }

    /// The line just read (trimmed) as the reader takes it. In the NGS reading a line whose
    /// record type stands in columns 7 to 10 only as written (columns 1 to 6 blank, so
    /// trimming moved it) is taken with its columns as written; `asWritten` then tells so.
    /// `type` is the record type the line is read as (null: none this reading reads).
    std::string_view Take(std::string_view trimmed, bool& asWritten, const BFileType*& type);

    /// Where the line taken last stands, with its record type and no findings: for a line that
    /// is skipped.
    RecordRef At(std::string_view line) const {
        return {BlueBookFile::kBFile, m_lineCounter, BFileRecordType(line)};
    }
    /// The record read from `fields` (the line taken last), with everything found about it: in
    /// the literal reading a rejection mark in column 6 is warned of and the record converted;
    /// in the NGS reading it rejects a record of a `rejectable` type.
    RecordRef Record(RecordFields& fields, bool rejectable);

    /// The station named in field `f`: its SERFIL name, or in the NGS reading its "*25*" ID.
    std::string_view Station(RecordFields& fields, Field f);

private:
    InputFile& m_in;
    StationNames& m_names;
    Reading m_reading;
    BlueBookReceiver& m_receiver;
    int& m_lineCounter;
    std::string m_asWritten;  // the line rebuilt with its leading blanks
};

/// The observation pass: reads the file from where it stands (the start) to its end.
/// `lines` receives the significant lines read. Returns as ReadBFile.
int ReadBFileObservations(BFilePass& pass, long long& lines);
