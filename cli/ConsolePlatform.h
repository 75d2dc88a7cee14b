// The conversion job's platform in a terminal: the fields come from the command line, messages
// go to standard output (success) or standard error (failures).
#pragma once

#include <string>

#include "convert/Platform.h"

class ConsolePlatform : public Platform {
public:
    std::string outputPath;
    std::string gFilePath;
    std::string serfilPath;
    std::string bFilePath;

    bool FetchFields(BlueBookConverter& converter) override;
    std::string LoadMessageText(int number) override;
    int ShowMessage(const std::string& text, unsigned style, int helpContext) override;
    bool NameExists(const std::string& path) override;

    /// The number of the last message shown, 0 when none was, and its text.
    int lastMessage = 0;
    std::string lastMessageText;
};
