// The console program's command line: its options, the conversion job it runs and the exit
// status it ends with.
#include "cli/CommandLine.h"

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "cli/ConsoleOutput.h"
#include "cli/ConsolePlatform.h"
#include "common/FileSystem.h"
#include "convert/BlueBookConverter.h"
#include "convert/ConversionReport.h"
#include "convert/Messages.h"

#ifndef BB_VERSION
#define BB_VERSION "3.6.2.24"
#endif

namespace {

const char* const kUsage =
    "Usage: bbook2tellurax [OPTION]... -o OUTPUT\n"
    "Converts NGS Blue Book files into one TELLURAX input file.\n"
    "\n"
    "  -s, --serfil FILE   SERFIL file: station names for serial numbers (optional)\n"
    "  -b, --bfile FILE    B-file: datum, stations and conventional observations\n"
    "  -g, --gfile FILE    G-file: GPS vector sets and station positions\n"
    "  -o, --output FILE   TELLURAX input file to write (required); an existing file is\n"
    "                      replaced only once the new one is complete\n"
    "  -r, --report        after the message, print on standard error what was converted,\n"
    "                      what was left out and why, and what to check\n"
    "      --report-json FILE  write that account as JSON to FILE\n"
    "      --geojson FILE  write the network as GeoJSON to FILE, for QGIS or a web map\n"
    "      --kml FILE      write the network as KML to FILE, for Google Earth\n"
    "      --classic       read numbers and records literally, as earlier releases did,\n"
    "                      instead of the way NGS's programs read them\n"
    "      --check-tolerances LIST  tolerances of the network checks, metres, e.g.\n"
    "                      height=0.10,vector=0.25,repeat-h=0.02,repeat-v=0.05 (the\n"
    "                      defaults; any of them, in any order)\n"
    "      --no-checks     leave out the network checks (heights, connections, vectors)\n"
    "  -q, --quiet         print nothing on success\n"
    "      --strict        exit with 3 when the account holds warnings\n"
    "  -h, --help          show this help and exit\n"
    "      --version       show the version and exit\n"
    "      --              end of the options\n"
    "\n"
    "At least one of the B-file and the G-file is needed. FILE \"-\" is standard input\n"
    "for one of -s, -b, -g, and standard output for -o, --report-json, --geojson or --kml.\n"
    "A run that fails changes no file: every file it writes is complete before any is\n"
    "put in place, and a file replaced keeps its permissions, owner, group and links.\n"
    "Standard output, descriptors (/dev/fd/N) and devices are written directly, and a\n"
    "run that fails may leave them partly written.\n"
    "By default numbers are read as NGS reads them: blanks after a number's first digit\n"
    "are zeros, a decimal point written in a field overrides its implied decimals, a blank\n"
    "*86* ellipsoidal height is the orthometric plus the geoid height, a blank vector count\n"
    "is the session's C and F records, records marked rejected (R, O, F) or with a value\n"
    "that is not finite are written as comments, lines without a sequence number keep\n"
    "their columns, and *25* station IDs name serial numbers the SERFIL file does not.\n"
    "A file that looks like another kind of Blue Book file than its option's, or a vertical\n"
    "or gravity B-file, is refused before anything is written.\n"
    "Exit status: 0 converted, 1 conversion failed (message on standard error),\n"
    "2 usage error, 3 converted with --strict but the account holds warnings.\n"
    "The manual page bbook2tellurax(1) lists the record types converted and gives examples.\n";

using Arguments = std::vector<std::string>;

int UsageError(const std::string& explanation) {
    WriteText(stderr, "bbook2tellurax: " + explanation + " (try --help)\n");
    return kExitUsage;
}

/// What the command line asks for besides the four file names.
struct Request {
    bool printReport = false;
    bool classic = false;
    bool strict = false;
    bool noChecks = false;
    std::string checkTolerances;  // as given; empty: the defaults
    std::string reportJsonPath;
    std::map<std::string, std::string> maps;  // by kind: the map files to write
};

/// The options that take a file name (or a list), and where each puts it: a field of the
/// platform, a field of the request, or the request's map of `mapKind`.
struct FileOption {
    const char* shortName;  // null: a long option only
    const char* longName;
    std::string ConsolePlatform::*field;
    std::string Request::*requestField;
    const char* mapKind;
};

const FileOption kFileOptions[] = {
    {"-s", "--serfil", &ConsolePlatform::serfilPath, nullptr, nullptr},
    {"-b", "--bfile", &ConsolePlatform::bFilePath, nullptr, nullptr},
    {"-g", "--gfile", &ConsolePlatform::gFilePath, nullptr, nullptr},
    {"-o", "--output", &ConsolePlatform::outputPath, nullptr, nullptr},
    {nullptr, "--report-json", nullptr, &Request::reportJsonPath, nullptr},
    {nullptr, "--geojson", nullptr, nullptr, "geojson"},
    {nullptr, "--kml", nullptr, nullptr, "kml"},
    {nullptr, "--check-tolerances", nullptr, &Request::checkTolerances, nullptr},
};

std::string& TargetOf(const FileOption& option, ConsolePlatform& platform, Request& request) {
    if (option.field) return platform.*option.field;
    if (option.requestField) return request.*option.requestField;
    return request.maps[option.mapKind];
}

enum class Match { kNone, kTaken, kNameMissing };

/// When args[i] is an option that takes a file name, stores the name (the next argument, the
/// rest after "=" of a long option, or the rest after a short option) and moves `i` past what it
/// used. An empty name for --report-json or a map is a missing one; an empty input or output
/// name counts as not given.
Match TakeFileOption(const Arguments& args, std::size_t& i, ConsolePlatform& platform,
                     Request& request) {
    const std::string& arg = args[i];
    for (const FileOption& option : kFileOptions) {
        const std::string longEq = std::string(option.longName) + "=";
        const bool shortForm = option.shortName && arg.compare(0, 2, option.shortName) == 0;
        std::string name;
        if (arg == option.longName || (shortForm && arg.size() == 2)) {
            if (i + 1 >= args.size()) return Match::kNameMissing;
            name = args[++i];
        } else if (arg.compare(0, longEq.size(), longEq) == 0) {
            name = arg.substr(longEq.size());
        } else if (shortForm) {
            name = arg.substr(2);  // -oFILE
        } else {
            continue;
        }
        TargetOf(option, platform, request) = name;
        return name.empty() && !option.field ? Match::kNameMissing : Match::kTaken;
    }
    return Match::kNone;
}

/// What ReadCommandLine returns when the job is to run.
constexpr int kRunJob = -1;

/// A flag option: sets its field when args[i] is it.
bool TakeFlag(const std::string& arg, ConsolePlatform& platform, Request& request) {
    if (arg == "-r" || arg == "--report") return request.printReport = true;
    if (arg == "-q" || arg == "--quiet") return platform.quiet = true;
    if (arg == "--strict") return request.strict = true;
    if (arg == "--classic") return request.classic = true;
    if (arg == "--no-checks") return request.noChecks = true;
    return false;
}

/// Reads the arguments (without the program name) into `platform` and `request`. Returns
/// kRunJob, or the exit status to end with at once: after --help or --version, or a usage error
/// (already reported).
int ReadCommandLine(const Arguments& args, ConsolePlatform& platform, Request& request) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded) return UsageError("unexpected argument " + arg);
        if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "-h" || arg == "--help") {
            WriteText(stdout, kUsage);
            return kExitSuccess;
        } else if (arg == "--version") {
            WriteText(stdout, std::string("bbook2tellurax ") + BB_VERSION + "\n");
            return kExitSuccess;
        } else if (!TakeFlag(arg, platform, request)) {
            const Match match = TakeFileOption(args, i, platform, request);
            if (match == Match::kNameMissing) {
                const std::string option = arg.substr(0, arg.find('='));
                return UsageError("option " + option +
                                  (option == "--check-tolerances" ? " needs a list of tolerances"
                                                                  : " needs a file name"));
            }
            if (match == Match::kNone) {
                if (arg.size() > 1 && arg[0] == '-') return UsageError("unknown option " + arg);
                return UsageError("unexpected argument " + arg);
            }
        }
    }
    return kRunJob;
}

/// The usage errors of a command line read whole: what a job needs and what it cannot do.
int CheckRequest(const ConsolePlatform& platform) {
    if (platform.outputPath.empty()) return UsageError("missing -o OUTPUT");
    if (platform.bFilePath.empty() && platform.gFilePath.empty()) {
        return UsageError("nothing to convert: name a B-file (-b) or a G-file (-g)");
    }
    int standardInputs = 0;
    for (const std::string* path : {&platform.serfilPath, &platform.bFilePath, &platform.gFilePath}) {
        if (*path == "-") ++standardInputs;
    }
    if (standardInputs > 1) return UsageError("standard input (-) can be read for one file only");
    return kRunJob;
}

/// The exit status of a finished job; standard output that could not be written is a failure.
int ExitStatus(const BlueBookConverter& converter, const ConsolePlatform& platform,
               const Request& request) {
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        WriteText(stderr, "bbook2tellurax: cannot write to standard output\n");
        return kExitFailure;
    }
    if (platform.lastMessage != kMsgSuccess) return kExitFailure;
    if (request.strict && converter.Account().WhatDeservesALook().Any()) return kExitLook;
    return kExitSuccess;
}

/// True when a file the job writes goes to standard output, where no success line may join it.
bool WritesStandardOutput(const ConsolePlatform& platform, const Request& request) {
    std::vector<std::string> written{platform.outputPath, request.reportJsonPath};
    for (const auto& [kind, path] : request.maps) written.push_back(path);
    for (const std::string& path : written) {
        if (path == "-" || DescriptorOfName(path) == 1) return true;
    }
    return false;
}

/// Runs the conversion job and gives its account. Returns the exit status.
int Convert(ConsolePlatform& platform, const Request& request) {
    if (const int status = CheckRequest(platform); status != kRunJob) return status;
    if (WritesStandardOutput(platform, request)) platform.quiet = true;
    BlueBookConverter converter(platform);
    platform.converter = &converter;
    std::string error;
    if (!request.checkTolerances.empty() &&
        !ParseCheckTolerances(request.checkTolerances, converter.m_checkTolerances, error)) {
        return UsageError("--check-tolerances: " + error);
    }
    converter.m_checks = !request.noChecks;
    if (request.classic) converter.m_reading = Reading::kClassic;
    converter.m_reportJsonPath = request.reportJsonPath;
    converter.m_mapPaths = request.maps;
    converter.OnConvertData();
    if (request.printReport) WriteText(stderr, FormatReportSummary(converter.Account()));
    return ExitStatus(converter, platform, request);
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& args) {
    ConsolePlatform platform;
    Request request;
    const int status = ReadCommandLine(args, platform, request);
    return status == kRunJob ? Convert(platform, request) : status;
}
