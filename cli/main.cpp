// bbook2tellurax: converts NGS Blue Book files (SERFIL, B-file, G-file) into one TELLURAX input
// file from the command line. Exit status: 0 success, 1 a conversion failure (its message on
// standard error), 2 a usage error or nothing to convert. With -r or --report-json it also gives
// the account of the conversion: what was converted, what was left out and why.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/ConsoleOutput.h"
#include "cli/ConsolePlatform.h"
#include "common/FileSystem.h"
#include "common/Guard.h"
#include "common/Utf.h"
#include "convert/BlueBookConverter.h"
#include "convert/ConversionReport.h"
#include "convert/Messages.h"

#ifndef BB_VERSION
#define BB_VERSION "3.6.2.24"
#endif

namespace {

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

const char* const kUsage =
    "Usage: bbook2tellurax [-s SERFIL] [-b BFILE] [-g GFILE] -o OUTPUT [-r]\n"
    "                      [--report-json FILE]\n"
    "Converts NGS Blue Book files into one TELLURAX input file.\n"
    "\n"
    "  -s, --serfil FILE   SERFIL file: station names for serial numbers (optional)\n"
    "  -b, --bfile FILE    B-file: datum, stations and conventional observations\n"
    "  -g, --gfile FILE    G-file: GPS vector sets and station positions\n"
    "  -o, --output FILE   TELLURAX input file to create (required; replaced if it exists)\n"
    "  -r, --report        after the message, print on standard error what was converted,\n"
    "                      what was left out and why, and what to check\n"
    "      --report-json FILE  write that account as JSON to FILE\n"
    "  -h, --help          show this help and exit\n"
    "      --version       show the version and exit\n"
    "\n"
    "At least one of the B-file and the G-file is needed.\n"
    "Exit status: 0 converted, 1 conversion failed (message on standard error),\n"
    "2 usage error or nothing to convert.\n"
    "The manual page bbook2tellurax(1) lists the record types converted and gives examples.\n";

using Arguments = std::vector<std::string>;

const std::string kJsonOption = "--report-json";

int UsageError(const std::string& explanation) {
    WriteText(stderr, "bbook2tellurax: " + explanation + " (try --help)\n");
    return kExitUsage;
}

/// Writes `text` to `path` as it stands; false when the file cannot be written.
bool WriteTextFile(const std::string& path, const std::string& text) {
    std::FILE* file = OpenFile(path, "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written;
}

/// The four file options and the platform field each fills.
struct FileOption {
    const char* shortName;
    const char* longName;
    std::string ConsolePlatform::*target;
};

const FileOption kFileOptions[] = {
    {"-s", "--serfil", &ConsolePlatform::serfilPath},
    {"-b", "--bfile", &ConsolePlatform::bFilePath},
    {"-g", "--gfile", &ConsolePlatform::gFilePath},
    {"-o", "--output", &ConsolePlatform::outputPath},
};

/// What the command line asks for besides the four file names.
struct Request {
    bool printReport = false;
    bool classic = false;
    bool writeReportJson = false;
    std::string reportJsonPath;
};

enum class Match { kNone, kTaken, kNameMissing };

/// When args[i] is one of the four file options, puts its file name (the next argument, the rest
/// after "=" of a long option, or the rest after a short option) in its platform field and moves
/// `i` past what it used.
Match TakeFileOption(const Arguments& args, std::size_t& i, ConsolePlatform& platform) {
    const std::string& arg = args[i];
    for (const FileOption& option : kFileOptions) {
        std::string& target = platform.*option.target;
        const std::string longEq = std::string(option.longName) + "=";
        if (arg == option.shortName || arg == option.longName) {
            if (i + 1 >= args.size()) return Match::kNameMissing;
            target = args[++i];
            return Match::kTaken;
        }
        if (arg.compare(0, longEq.size(), longEq) == 0) {
            target = arg.substr(longEq.size());
            return Match::kTaken;
        }
        if (arg.size() > 2 && arg.compare(0, 2, option.shortName) == 0) {
            target = arg.substr(2);  // -oFILE
            return Match::kTaken;
        }
    }
    return Match::kNone;
}

/// What ReadCommandLine returns when the job is to run.
constexpr int kRunJob = -1;

/// Reads the arguments (without the program name) into `platform` and `request`. Returns
/// kRunJob, or the exit status to end with at once: after --help or --version, or a usage error
/// (already reported).
int ReadCommandLine(const Arguments& args, ConsolePlatform& platform, Request& request) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-r" || arg == "--report") {
            request.printReport = true;
        } else if (arg == "--classic") {
            request.classic = true;
        } else if (arg == kJsonOption) {
            if (i + 1 >= args.size()) return UsageError("option " + arg + " needs a file name");
            request.reportJsonPath = args[++i];
            request.writeReportJson = true;
        } else if (arg.compare(0, kJsonOption.size() + 1, kJsonOption + "=") == 0) {
            request.reportJsonPath = arg.substr(kJsonOption.size() + 1);
            request.writeReportJson = true;
        } else if (arg == "-h" || arg == "--help") {
            WriteText(stdout, kUsage);
            return kExitSuccess;
        } else if (arg == "--version") {
            WriteText(stdout, std::string("bbook2tellurax ") + BB_VERSION + "\n");
            return kExitSuccess;
        } else {
            const Match match = TakeFileOption(args, i, platform);
            if (match == Match::kNameMissing) {
                return UsageError("option " + arg + " needs a file name");
            }
            if (match == Match::kNone) {
                if (!arg.empty() && arg[0] == '-') return UsageError("unknown option " + arg);
                return UsageError("unexpected argument " + arg);
            }
        }
    }
    if (request.writeReportJson && request.reportJsonPath.empty()) {
        return UsageError("option " + kJsonOption + " needs a file name");
    }
    return kRunJob;
}

/// Gives the account of a finished job as `request` asks. Returns `status`, or the failure
/// status when the JSON file cannot be written.
int GiveReport(ConversionReport& report, const ConsolePlatform& platform, const Request& request,
               int status) {
    report.message = platform.lastMessage;
    report.messageText = platform.lastMessageText;
    if (request.printReport) WriteText(stderr, FormatReportSummary(report));
    if (request.writeReportJson &&
        !WriteTextFile(request.reportJsonPath, FormatReportJson(report))) {
        WriteText(stderr, "bbook2tellurax: cannot write the report " + request.reportJsonPath +
                              "\n");
        return kExitFailure;
    }
    return status;
}

/// Runs the conversion job and gives its account. Returns the exit status.
int Convert(ConsolePlatform& platform, const Request& request) {
    if (platform.bFilePath.empty() && platform.gFilePath.empty()) {
        return UsageError("nothing to convert: name a B-file (-b) or a G-file (-g)");
    }
    BlueBookConverter converter(platform);
    if (request.classic) converter.m_reading = Reading::kClassic;
    std::unique_ptr<ConversionReport> report;
    if (request.printReport || request.writeReportJson) {
        report = std::make_unique<ConversionReport>();
        converter.m_report = report.get();
    }
    converter.OnConvertData();
    const int status = platform.lastMessage == kMsgSuccess ? kExitSuccess : kExitFailure;
    return report ? GiveReport(*report, platform, request, status) : status;
}

/// The whole program for its arguments (UTF-8 on Windows; the bytes as given elsewhere).
int Run(const Arguments& args) {
    ConsolePlatform platform;
    Request request;
    const int status = ReadCommandLine(args, platform, request);
    return status == kRunJob ? Convert(platform, request) : status;
}

/// Message 1501 on standard error: what the user sees when anything was thrown.
void ReportFailure() { WriteText(stderr, CatalogueText(kMsgOutOfMemory) + "\n"); }

}  // namespace

#ifdef _WIN32
// The wide entry point: arguments arrive as UTF-16, whatever the ANSI code page could hold.
int wmain(int argc, wchar_t** argv) {
    return RunGuarded(
        [&] {
            Arguments args;
            for (int i = 1; i < argc; ++i) {
                args.push_back(Utf16ToUtf8(reinterpret_cast<const char16_t*>(argv[i])));
            }
            return Run(args);
        },
        ReportFailure, kExitFailure);
}
#else
int main(int argc, char** argv) {
    return RunGuarded([&] { return Run(Arguments(argv + 1, argv + argc)); }, ReportFailure,
                      kExitFailure);
}
#endif
