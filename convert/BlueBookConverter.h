// The converter: the state of one Blue Book to TELLURAX conversion and its operations.
//
// Every operation reports through `result`, its last argument: 0 is success, a positive value
// is the number of the catalogue message that describes the failure (common/ResultCodes.h).
// Nothing here throws.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "bluebook/Records.h"
#include "bluebook/StationNames.h"
#include "convert/NetworkChecks.h"

class BlueBookReceiver;
class ConversionReport;
class InputFile;
class OutputFile;
class Platform;

/// The datum every job starts from (GRS 80), until a B-file's datum record gives another.
constexpr const char* kDefaultDatumName = "NAD 83";
constexpr double kDefaultSemiMajorAxis = 6378137.0;       // metres
constexpr double kDefaultInverseFlattening = 298.2572221;  // exactly this double

/// Why files may not be written: the message (1519, 1522) and the file it names; 0 when they
/// may.
struct FileRefusal {
    int number = 0;
    std::string path;
};

/// Checks the files a job writes, `written` in the order they are named, against its `inputs`
/// (empty names are neither): 1519 for the first written file that is an input, 1522 for the
/// first that is the same file as an earlier one, by any spelling, link or letter case. A
/// front end checks a file it writes for the job (a saved report) with the job's files first.
FileRefusal RefuseWrittenFiles(const std::vector<std::string>& inputs,
                               const std::vector<std::string>& written);

class BlueBookConverter {
public:
    /// Creates the converter with the GRS 80 defaults; `platform` must outlive it.
    explicit BlueBookConverter(Platform& platform);
    ~BlueBookConverter();
    BlueBookConverter(const BlueBookConverter&) = delete;
    BlueBookConverter& operator=(const BlueBookConverter&) = delete;

    // --- The conversion job -------------------------------------------------------------------

    /// Runs one conversion job: fetches and checks the four file names, reads the SERFIL file,
    /// writes the output file from the B-file and the G-file, and shows exactly one message
    /// (none when the fetch is refused). The job starts from the default datum.
    /// `moreReceivers` see what the readers read too, after the job's own receivers; a failure
    /// one returns ends the job as the output's would.
    void OnConvertData(const std::vector<BlueBookReceiver*>& moreReceivers = {});

    /// Loads the text of message `number`, formats it printf-style with `args` (each "%s" or
    /// "%d" takes the next argument; at most 259 characters are kept) and shows it in a message
    /// box of `style` whose help context is `number`. Returns the button pressed.
    int ReportMessage(int number, unsigned style, const std::vector<std::string>& args = {});

    /// False for an empty name; otherwise whether the file system finds an entry of that name.
    bool FileExists(const std::string& path) const;

    // --- Blue Book input ----------------------------------------------------------------------

    /// Loads the SERFIL file named in m_serfilPath into m_serfilNumbers and m_serfilNames.
    /// `result`: 0, 1516 when it cannot be opened, 1518 on a read error (`lineCounter` then
    /// holds the number of the failing read; the entries read before it stay).
    void ReadSerfil(int& lineCounter, int& result);
    /// ReadSerfil from `serfil`, already open at its start.
    void ReadSerfil(InputFile& serfil, int& lineCounter, int& result);

    /// Cuts a station field (as GetFieldText) and, when it equals a SERFIL serial number byte
    /// for byte, gives the paired name instead (the first match wins), at most `width`
    /// characters of it. The view stays valid until the line or the SERFIL lists change.
    std::string_view GetFieldStation(int column, int width, std::string_view line) const;

    /// Converts a B-file (open, at its start) into the header, the stations and the
    /// observations. `result`: 0, 1501, 1517 or 1518; `lineCounter` counts the lines of the
    /// pass that is running, from 0 at the start of each of the three passes.
    void ConvertBFile(InputFile& bFile, OutputFile& out, int& lineCounter, int& result);

    /// Converts a G-file (open, at its start): its GPS vector sets and station positions.
    /// Writes no header. `result`: 0, 1517 or 1518.
    void ConvertGFile(InputFile& gFile, OutputFile& out, int& lineCounter, int& result);

    // --- Output file --------------------------------------------------------------------------

    /// Writes the 50-line header with m_recordComment and the datum fields. `result`: 0, or
    /// 1517 on a write error.
    void WriteHeader(OutputFile& out, int& result);

    // --- State --------------------------------------------------------------------------------

    std::string m_outputPath;               // the TELLURAX input file to create
    std::string m_gFilePath;                // the G-file
    std::string m_serfilPath;               // the SERFIL file
    std::string m_bFilePath;                // the B-file
    std::vector<std::string> m_serfilNumbers;  // SERFIL serial numbers, in file order
    std::vector<std::string> m_serfilNames;    // the names, parallel to m_serfilNumbers
    std::string m_datumName;                // datum name of the header
    double m_semiMajorAxis;                 // ellipsoid semi-major axis, metres
    double m_inverseFlattening;             // ellipsoid inverse flattening
    std::string m_recordComment;            // comment line ahead of the next header or record
    /// How the Blue Book files are read: as NGS's programs read them, or literally, as earlier
    /// releases did (a front end may choose the literal reading to repeat an old conversion).
    Reading m_reading = Reading::kNgs;
    /// Files the job writes besides the output when they are named (the console program's
    /// --report-json, --geojson, --kml): the account of the conversion as JSON, written (with
    /// its outcome) only when the job succeeds, and maps of the network by their kind, as the
    /// job's list of outputs names them ("geojson", "kml"). "-" is standard output. Empty: not
    /// written.
    std::string m_reportJsonPath;
    std::map<std::string, std::string> m_mapPaths;
    /// Whether the network checks run, and with which tolerances (metres).
    bool m_checks = true;
    CheckTolerances m_checkTolerances;
    /// The account of the last job.
    const ConversionReport& Account() const;
    /// The system's error number (errno) behind the last message shown, 0 when there was none:
    /// why a file could not be opened, read or written.
    int LastSystemError() const { return m_systemError; }

private:
    class Job;  // one run of OnConvertData (ConversionJob.cpp)

    /// The account the job keeps, created when needed.
    ConversionReport& KeptAccount();

    /// Runs `read` with the station names indexed and every receiver of the job (the writer to
    /// `out` first, then the account, then the job's other receivers), behind its checks.
    template <typename Read>
    int WithReceivers(BlueBookFile file, const std::string& path, OutputFile& out, Read read);

    Platform& m_platform;
    StationNames m_stationNames;  // indexed while a B-file or G-file is converted
    std::unique_ptr<ConversionReport> m_ownReport;
    std::vector<BlueBookReceiver*> m_jobReceivers;  // its maps and more, while a job runs
    NetworkChecks* m_jobChecks = nullptr;           // its network checks, while a job runs
    int m_systemError = 0;
};
