// bbook2tellurax: converts NGS Blue Book files (SERFIL, B-file, G-file) into one TELLURAX input
// file from the command line (CommandLine.h). This file holds the entry points: arguments in
// UTF-8, the standard streams and interruptions set up, and nothing thrown past them.
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/ConsoleOutput.h"
#include "common/FileSystem.h"
#include "common/Guard.h"
#include "common/Utf.h"
#include "convert/Messages.h"

namespace {

/// Message 1501 on standard error: what the user sees when anything was thrown.
void ReportFailure() {
    WriteText(stderr, "bbook2tellurax: " + CatalogueText(kMsgOutOfMemory) + "\n");
}

}  // namespace

#ifdef _WIN32
// The wide entry point: arguments arrive as UTF-16, whatever the ANSI code page could hold.
int wmain(int argc, wchar_t** argv) {
    SetUpStandardStreams();
    RemoveTemporariesOnInterrupt();
    return RunGuarded(
        [&] {
            std::vector<std::string> args;
            for (int i = 1; i < argc; ++i) {
                args.push_back(Utf16ToUtf8(reinterpret_cast<const char16_t*>(argv[i])));
            }
            return RunCommandLine(args);
        },
        ReportFailure, kExitFailure);
}
#else
int main(int argc, char** argv) {
    // Before anything is opened: a closed standard descriptor must not become a file's.
    SetUpStandardStreams();
    RemoveTemporariesOnInterrupt();
    return RunGuarded(
        [&] { return RunCommandLine(std::vector<std::string>(argv + 1, argv + argc)); },
        ReportFailure, kExitFailure);
}
#endif
