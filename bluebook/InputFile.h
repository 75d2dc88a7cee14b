// A Blue Book input file read as text, with the same text-mode rules on every platform:
// a CR directly before LF is dropped (a lone CR stays in the line), a Ctrl-Z byte (26) ends the
// input, and a NUL byte ends the text of its line (the rest of that physical line is dropped).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "common/FileSystem.h"

class InputFile {
public:
    InputFile() = default;
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    /// Opens `path` (UTF-8; "-" is standard input) for reading. Fails (false) when it cannot
    /// be opened or names a directory; SystemError() then says why (EBADF for a standard
    /// descriptor that was closed when the program started). Nothing is read yet: a read error
    /// shows at the first read. Standard input is read from where it stood when the program
    /// started. What cannot be read twice (a pipe, a device) is kept, as it is read, in a
    /// scratch file that Rewind turns to; ScratchFolder() names the folder when that file
    /// cannot be made.
    bool Open(const std::string& path);
    /// Takes over an already opened stream (tests use it for streams that fail on reading).
    void Adopt(std::FILE* stream);
    void Close();
    bool IsOpen() const { return m_stream != nullptr; }

    /// Reads the next physical line without its terminator. Leading blanks (bytes that are at
    /// most 32 as signed 8-bit numbers) are skipped and not kept; of the rest at most `maxKeep`
    /// bytes are kept and the remainder of the line is read and dropped. Returns false when
    /// nothing at all could be read at the end of the input, and on a read error (even after
    /// part of the line was read).
    bool ReadPhysicalLine(std::string& line, std::size_t maxKeep);
    /// ReadPhysicalLine without a copy where it can: `line` views the read buffer when the
    /// whole line stands in it, and `scratch` otherwise. The view is valid until the next read.
    bool ReadPhysicalLine(std::string_view& line, std::string& scratch, std::size_t maxKeep);

    /// The next physical line as it stands in the read buffer, without its LF (leading blanks
    /// and a CR kept), when it stands there whole with no NUL or Ctrl-Z before its end; false
    /// otherwise. Nothing is read: SkipPeekedLine passes over it.
    bool PeekWholeLine(std::string_view& raw);
    void SkipPeekedLine() { m_pos = m_peekedEnd + 1; }

    /// The blank bytes ReadPhysicalLine skipped at the start of the line it read last.
    std::size_t LeadingBlanks() const { return m_leadingBlanks; }

    /// The end-of-file indicator: set once a read found the end of the input (or a Ctrl-Z).
    bool AtEnd() const { return m_atEnd; }
    /// The error indicator: set once the underlying stream reported a read error.
    bool HasError() const { return m_error; }

    /// Goes back to where the input started (the first byte; for standard input, where it
    /// stood when the program started) and clears both indicators. False when the seek fails,
    /// or when the rest of a stream read once could not be read or kept.
    bool Rewind();

    /// True when the file's size or time of last change differ from when it was opened: it
    /// changed while it was being read (always false for what is read from a stream).
    bool Changed() const;
    /// The system's error number of the last failure (errno), 0 when not known.
    int SystemError() const { return m_systemError; }
    /// The folder in which the scratch copy of a stream could not be made, when that is why
    /// Open failed; empty otherwise.
    const std::string& ScratchFolder() const { return m_scratchFolder; }

private:
    bool Fill();  // refills the buffer; false at end or on error (indicators set)
    /// Keeps the first `bytes` of the buffer in the copy of a stream read once.
    bool Keep(std::size_t bytes);
    /// Reads the rest of a stream read once into its copy and reads the copy from then on.
    bool SwitchToCopy();
    /// Appends a part of a line read in pieces to `line`: its leading blanks counted and left
    /// out, cut at a NUL byte and after `maxKeep` bytes. False once something was dropped.
    bool KeepPart(std::string& line, const char* part, std::size_t length, std::size_t maxKeep,
                  bool& inLeadingBlanks);
    /// The LF of the line at m_pos when the whole line stands in the buffer with no NUL or
    /// Ctrl-Z byte before its end; nullptr otherwise.
    const char* WholeLineEnd();
    /// The common case of ReadPhysicalLine: the whole line, its LF included, stands in the
    /// buffer, and no NUL or Ctrl-Z byte comes before its end. False (nothing read) otherwise.
    bool ReadWholeLineInBuffer(std::string_view& line, std::size_t maxKeep);
    /// The position of the first `byte` at or after m_pos in the buffer (m_end when there is
    /// none), cached in `at`: searched again only after a refill or once m_pos has passed it.
    std::size_t NextByte(char byte, std::size_t& at);

    std::FILE* m_stream = nullptr;
    std::FILE* m_copy = nullptr;  // the scratch copy of a stream that can be read only once
    bool m_isStandardInput = false;
    std::int64_t m_start = 0;    // where Rewind goes back to
    std::string m_scratchFolder;
    FileStamp m_openStamp;       // of a regular file, when it was opened
    int m_systemError = 0;
    std::vector<char> m_buffer;
    std::size_t m_pos = 0;
    std::size_t m_end = 0;
    std::size_t m_nulAt = 0;    // cached by NextByte: the next NUL byte of the buffer
    std::size_t m_ctrlZAt = 0;  // the next Ctrl-Z byte
    std::size_t m_leadingBlanks = 0;
    std::size_t m_peekedEnd = 0;  // where the line PeekWholeLine gave ends (its LF)
    bool m_atEnd = false;
    bool m_error = false;
};
