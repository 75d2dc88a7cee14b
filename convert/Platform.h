// The four things the conversion job needs from whatever front end runs it: the Windows dialog,
// the console program, or a test fake.
#pragma once

#include <string>

class BlueBookConverter;

class Platform {
public:
    virtual ~Platform() = default;

    /// Copies the four file names of the front end into m_outputPath, m_gFilePath, m_serfilPath
    /// and m_bFilePath. Returns false when the front end refuses; the job then does nothing.
    virtual bool FetchFields(BlueBookConverter& converter) = 0;

    /// The catalogue text of message `number`, or an empty text when there is none.
    virtual std::string LoadMessageText(int number) = 0;

    /// Shows `text` in a modal message box of `style` (0 = plain OK) with help context
    /// `helpContext` (the message number). Returns the button pressed.
    virtual int ShowMessage(const std::string& text, unsigned style, int helpContext) = 0;

    /// True when the file system finds an entry called `path` (a directory counts).
    virtual bool NameExists(const std::string& path) = 0;
};
