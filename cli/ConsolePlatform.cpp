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
    std::FILE* stream = helpContext == kMsgSuccess ? stdout : stderr;
    WriteText(stream, text + "\n");
    std::fflush(stream);
    return 1;  // the OK button
}

bool ConsolePlatform::NameExists(const std::string& path) { return ::NameExists(path); }
