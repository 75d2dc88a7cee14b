// The output text file. Bytes are written exactly as given: writers put "\r\n" at every line
// end themselves, so the file is the same on every platform. Write failures are seen only
// through the error indicator, as with a C stream.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    /// Creates `path` or empties it. `bufferSize` 0 makes the stream unbuffered, so that a
    /// failing device shows the error at the write that met it. False when it cannot be opened.
    bool Open(const std::string& path, std::size_t bufferSize = 1 << 16);
    /// Takes over an already opened stream (tests).
    void Adopt(std::FILE* stream);

    /// Flushes and closes. False when the flush or the close failed, or an earlier write did.
    bool Close();
    bool IsOpen() const { return m_stream != nullptr; }

    void Write(std::string_view bytes);
    /// The error indicator: set once any write failed.
    bool HasError() const;

    /// A text the writers build a record in before they Write it, reused from record to record.
    std::string& Scratch() { return m_scratch; }

private:
    std::FILE* m_stream = nullptr;
    bool m_error = false;
    std::string m_scratch;
};
