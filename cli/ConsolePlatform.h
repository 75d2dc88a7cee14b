// The conversion job's platform in a terminal: the fields come from the command line; the
// success message goes to standard output, a failure to standard error after the program's
// name, with the system's reason when a file could not be opened, read or written.
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

    /// No success message (-q, or a file the job writes goes to standard output).
    bool quiet = false;
    /// The converter whose job shows the messages, for the reason behind a failure.
    const BlueBookConverter* converter = nullptr;

    /// The number of the last message shown, 0 when none was, and its text.
    int lastMessage = 0;
    std::string lastMessageText;
};
