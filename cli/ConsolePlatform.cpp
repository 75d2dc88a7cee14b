#include "cli/ConsolePlatform.h"

#include <cstdio>

#include "cli/ConsoleOutput.h"
#include "common/FileSystem.h"
#include "convert/BlueBookConverter.h"
#include "convert/Messages.h"

bool ConsolePlatform::FetchFields(BlueBookConverter& converter) {
    converter.m_outputPath = outputPath;
    converter.m_gFilePath = gFilePath;
    converter.m_serfilPath = serfilPath;
    converter.m_bFilePath = bFilePath;
    return true;
}

std::string ConsolePlatform::LoadMessageText(int number) { return CatalogueText(number); }

int ConsolePlatform::ShowMessage(const std::string& text, unsigned /*style*/, int helpContext) {
    lastMessage = helpContext;
    lastMessageText = text;
    if (helpContext == kMsgSuccess) {
        if (!quiet && outputPath != "-") WriteText(stdout, text + "\n");
        return 1;  // the OK button
    }
    std::string line = "bbook2tellurax: " + text;
    const std::string reason =
        converter ? SystemReason(helpContext, converter->LastSystemError()) : std::string();
    if (!reason.empty()) line += ": " + reason;
    WriteText(stderr, line + "\n");
    std::fflush(stderr);
    return 1;
}

// "-" names standard input, which is always there.
bool ConsolePlatform::NameExists(const std::string& path) {
    return path == "-" || ::NameExists(path);
}
