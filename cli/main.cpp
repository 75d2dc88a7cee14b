// bbook2tellurax: converts NGS Blue Book files (SERFIL, B-file, G-file) into one TELLURAX input
// file from the command line. Exit status: 0 success, 1 a conversion failure (its message on
// standard error), 2 a usage error or nothing to convert. With -r or --report-json it also gives
// the account of the conversion: what was converted, what was left out and why.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "cli/ConsolePlatform.h"
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

int UsageError(const std::string& explanation) {
    std::fprintf(stderr, "bbook2tellurax: %s (try --help)\n", explanation.c_str());
    return kExitUsage;
}

/// Writes `text` to `path` as it stands; false when the file cannot be written.
bool WriteTextFile(const std::string& path, const std::string& text) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
    ConsolePlatform platform;
    struct Option {
        const char* shortName;
        const char* longName;
        std::string* target;
    };
    const Option options[] = {
        {"-s", "--serfil", &platform.serfilPath},
        {"-b", "--bfile", &platform.bFilePath},
        {"-g", "--gfile", &platform.gFilePath},
        {"-o", "--output", &platform.outputPath},
    };

    bool printReport = false;
    bool classic = false;
    std::string reportJsonPath;
    bool writeReportJson = false;
    const std::string jsonOption = "--report-json";

    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-r" || arg == "--report") {
            printReport = true;
            continue;
        }
        if (arg == "--classic") {
            classic = true;
            continue;
        }
        if (arg == jsonOption) {
            if (i + 1 >= argc) return UsageError("option " + arg + " needs a file name");
            reportJsonPath = argv[++i];
            writeReportJson = true;
            continue;
        }
        if (arg.compare(0, jsonOption.size() + 1, jsonOption + "=") == 0) {
            reportJsonPath = arg.substr(jsonOption.size() + 1);
            writeReportJson = true;
            continue;
        }
        if (arg == "-h" || arg == "--help") {
            std::fputs(kUsage, stdout);
            return kExitSuccess;
        }
        if (arg == "--version") {
            std::printf("bbook2tellurax %s\n", BB_VERSION);
            return kExitSuccess;
        }
        bool matched = false;
        for (const Option& option : options) {
            const std::string longEq = std::string(option.longName) + "=";
            if (arg == option.shortName || arg == option.longName) {
                if (i + 1 >= argc) return UsageError("option " + arg + " needs a file name");
                *option.target = argv[++i];
                matched = true;
            } else if (arg.compare(0, longEq.size(), longEq) == 0) {
                *option.target = arg.substr(longEq.size());
                matched = true;
            } else if (arg.size() > 2 && arg.compare(0, 2, option.shortName) == 0) {
                *option.target = arg.substr(2);  // -oFILE
                matched = true;
            }
            if (matched) break;
        }
        if (matched) continue;
        if (!arg.empty() && arg[0] == '-') return UsageError("unknown option " + arg);
        return UsageError("unexpected argument " + arg);
    }

    if (writeReportJson && reportJsonPath.empty()) {
        return UsageError("option " + jsonOption + " needs a file name");
    }

    BlueBookConverter converter(platform);
    if (classic) converter.m_reading = Reading::kClassic;
    std::unique_ptr<ConversionReport> report;
    if (printReport || writeReportJson) {
        report = std::make_unique<ConversionReport>();
        converter.m_report = report.get();
    }
    converter.OnConvertData();
    if (platform.lastMessage == 0) {
        return UsageError("nothing to convert: name a B-file (-b) or a G-file (-g)");
    }
    int status = platform.lastMessage == kMsgSuccess ? kExitSuccess : kExitFailure;
    if (report) {
        report->message = platform.lastMessage;
        report->messageText = platform.lastMessageText;
        if (printReport) std::fputs(FormatReportSummary(*report).c_str(), stderr);
        if (writeReportJson && !WriteTextFile(reportJsonPath, FormatReportJson(*report))) {
            std::fprintf(stderr, "bbook2tellurax: cannot write the report %s\n",
                         reportJsonPath.c_str());
            status = kExitFailure;
        }
    }
    return status;
}
