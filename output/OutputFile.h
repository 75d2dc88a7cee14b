// An output file written whole or not at all. Bytes are written exactly as given: writers put
// "\r\n" at every line end themselves, so the file is the same on every platform. A file is
// written to a temporary file and put in place of its target only once it is complete (see
// ReplacedFile), so a failed or interrupted conversion never leaves a damaged or emptied file,
// and two conversions into one file leave one complete result. Standard output, a descriptor,
// a device or a pipe is written directly instead. Write failures are seen only through the
// error indicator, as with a C stream.
//
// One file alone is opened, written and closed. Several files written together (OutputSet) are
// each finished, then each committed, then each released (or rolled back).
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

#include "common/FileSystem.h"
#include "output/TextBuffer.h"

class OutputFile {
public:
    /// The block size that writes nothing of a file written directly before Commit.
    static constexpr std::size_t kWholeText = static_cast<std::size_t>(-1);

    OutputFile() = default;
    /// Abandons a file that was not closed.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    /// Opens `path` (UTF-8) for writing. "-" is standard output, a descriptor name
    /// ("/dev/stdout", "/dev/fd/N", "/proc/self/fd/N") writes through that descriptor, and a
    /// device or a pipe (/dev/null, a FIFO) is written directly; any other name is written whole
    /// (through a symbolic link, the file it points to). The pending text is written in blocks
    /// of `bufferSize` bytes (0: at each record, so that a failing device shows the error at the
    /// write that met it). False when it cannot be opened or is refused (a directory, a file
    /// the user may not write, a closed descriptor: EBADF); SystemError() then says why.
    bool Open(const std::string& path, std::size_t bufferSize = 1 << 16);
    /// Takes over an already opened stream, written directly (tests).
    void Adopt(std::FILE* stream);

    /// Everything written: a file written whole is complete in its temporary file. False when
    /// a write failed: Failure() is 1517.
    bool Finish();
    /// After Finish: puts the file in place, or writes the rest of a file written directly.
    /// False when that failed: Failure() is 1516 (the target could not be replaced, for instance
    /// because another program holds it open) or 1517 (a write); the target is as it was.
    bool Commit();
    /// After Commit: puts the old file back (a file written directly keeps what it got).
    void Rollback();
    /// After Commit: lets the old file go.
    void Release();
    /// Finish, Commit and Release, for one file alone. False as they are: the target is then
    /// as it was.
    bool Close();
    /// Closes without replacing the target: the target stays as it was. A file written
    /// directly keeps what reached it.
    void Abandon();
    bool IsOpen() const { return m_stream != nullptr; }
    /// True for standard output, a descriptor, a device or a pipe: what a failure cannot undo.
    bool WrittenDirectly() const { return m_open && !m_whole; }

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
    /// Opens what `path` names for writing directly, or begins the file written whole.
    std::FILE* OpenTarget(const std::string& path);
    void NoteWriteError();
    bool Fail(int failure);
    /// Writes the pending text to the stream.
    void WritePending();
    /// Flushes a stream written directly, and closes it unless it is standard output.
    void CloseDirect();

    std::FILE* m_stream = nullptr;
    bool m_open = false;
    bool m_isStandardOutput = false;
    bool m_whole = false;      // written to a temporary file, put in place by Commit
    ReplacedFile m_replaced;   // ... which does that
    std::size_t m_blockSize = 0;  // the pending text is written when it reaches this; 0: at once
    bool m_error = false;
    int m_failure = 0;
    int m_systemError = 0;
    TextBuffer m_pending;
};
