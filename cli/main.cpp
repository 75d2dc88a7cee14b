// bbook2tellurax: converts NGS Blue Book files (SERFIL, B-file, G-file) into one TELLURAX input
// file from the command line. Exit status: 0 success, 1 a conversion failure (its message on
// standard error), 2 a usage error or nothing to convert.
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/ConsolePlatform.h"
#include "convert/BlueBookConverter.h"
#include "convert/Messages.h"

#ifndef BB_VERSION
#define BB_VERSION "3.6.2.24"
#endif

namespace {

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

const char* const kUsage =
    "Usage: bbook2tellurax [-s SERFIL] [-b BFILE] [-g GFILE] -o OUTPUT\n"
    "Converts NGS Blue Book files into one TELLURAX input file.\n"
    "\n"
    "  -s, --serfil FILE   SERFIL file: station names for serial numbers (optional)\n"
    "  -b, --bfile FILE    B-file: datum, stations and conventional observations\n"
    "  -g, --gfile FILE    G-file: GPS vector sets and station positions\n"
    "  -o, --output FILE   TELLURAX input file to create (required; replaced if it exists)\n"
    "  -h, --help          show this help and exit\n"
    "      --version       show the version and exit\n"
    "\n"
    "At least one of the B-file and the G-file is needed.\n"
    "Exit status: 0 converted, 1 conversion failed (message on standard error),\n"
    "2 usage error or nothing to convert.\n";

int UsageError(const std::string& explanation) {
    std::fprintf(stderr, "bbook2tellurax: %s (try --help)\n", explanation.c_str());
    return kExitUsage;
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

    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
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

    BlueBookConverter converter(platform);
    converter.OnConvertData();
    if (platform.lastMessage == 0) {
        return UsageError("nothing to convert: name a B-file (-b) or a G-file (-g)");
    }
    return platform.lastMessage == kMsgSuccess ? kExitSuccess : kExitFailure;
}
