// An output file written whole or not at all. Bytes are written exactly as given: writers put
// "\r\n" at every line end themselves, so the file is the same on every platform. A file is
// written under a temporary name beside its target and moved over the target only once it is
// complete, so a failed or interrupted conversion never leaves a damaged or emptied file, and
// two conversions into one file leave one complete result. Write failures are seen only
// through the error indicator, as with a C stream.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

#include "output/TextBuffer.h"

class OutputFile {
public:
    OutputFile() = default;
    /// Abandons a file that was not closed.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    /// Opens `path` (UTF-8) for writing. "-" is standard output, and a device or a pipe
    /// (/dev/null, a FIFO) is written directly; any other name gets a temporary file beside the
    /// file it names (beside the file a symbolic link points to). `bufferSize` 0 makes the
    /// stream unbuffered, so that a failing device shows the error at the write that met it.
    /// False when it cannot be opened; SystemError() then says why.
    bool Open(const std::string& path, std::size_t bufferSize = 1 << 16);
    /// Takes over an already opened stream, written directly (tests).
    void Adopt(std::FILE* stream);

    /// Flushes and closes. A file written under a temporary name then replaces its target
    /// (keeping the target's permissions), when every write succeeded; otherwise the temporary
    /// file is removed and the target is as it was. False when anything failed: Failure() is
    /// then 1517 (a write, the flush or the close) or 1516 (the target could not be replaced,
    /// for instance because another program holds it open).
    bool Close();
    /// Closes without replacing the target: a temporary file is removed, the target stays as
    /// it was. A file written directly keeps what reached it.
    void Abandon();
    bool IsOpen() const { return m_stream != nullptr; }

    void Write(std::string_view bytes);
    /// The error indicator: set once any write failed.
    bool HasError() const;
    /// What went wrong: 0, 1517 or 1516 (ResultCodes.h), and the system's error number (errno),
    /// 0 when it is not known.
    int Failure() const { return m_failure; }
    int SystemError() const { return m_systemError; }

    /// The text still to be written. Writers append a whole record to it and then call
    /// RecordWritten, which writes it out in large blocks (at once when the file is unbuffered).
    TextBuffer& Pending() { return m_pending; }
    void RecordWritten();

private:
    void NoteWriteError();
    /// Writes the pending text to the stream.
    void WritePending();

    std::FILE* m_stream = nullptr;
    bool m_isStandardOutput = false;
    std::string m_target;     // the file to replace; empty when written directly
    std::string m_temporary;  // where it is written meanwhile
    std::size_t m_blockSize = 0;  // the pending text is written when it reaches this; 0: at once
    bool m_error = false;
    int m_failure = 0;
    int m_systemError = 0;
    TextBuffer m_pending;
};
