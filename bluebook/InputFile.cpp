#include "bluebook/InputFile.h"

#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "bluebook/RecordLine.h"
#include "common/FileSystem.h"

namespace {
constexpr std::size_t kReadChunk = 1 << 16;
constexpr char kCtrlZ = 26;
constexpr std::size_t kNotSearched = static_cast<std::size_t>(-1);
}  // namespace

InputFile::~InputFile() { Close(); }

bool InputFile::Open(const std::string& path) {
    Close();
    m_systemError = 0;
    m_scratchFolder.clear();
    // Some systems open a directory as a stream that fails only when it is read: ask the file
    // system instead, so that a read error in the first block of a file is reported as one.
    if (path != "-" && IsDirectory(path)) {
        m_systemError = EISDIR;
        return false;
    }
    if (StandardStreamClosed(path == "-" ? 0 : DescriptorOfName(path))) {
        m_systemError = EBADF;  // closed at start: the null device stands in its place
        return false;
    }
    std::FILE* stream = stdin;
    if (path == "-") {
#ifdef _WIN32
        _setmode(_fileno(stdin), _O_BINARY);  // the text-mode rules are applied here
#endif
    } else {
        errno = 0;
        stream = OpenFile(path, "rb");
        if (stream == nullptr) {
            m_systemError = errno != 0 ? errno : ENOENT;
            return false;
        }
    }
    Adopt(stream);
    m_isStandardInput = stream == stdin;
    if (IsRegularFile(stream)) {
        m_openStamp = StampOf(stream);
        if (m_isStandardInput) m_start = StandardInputStart();
        if (!m_isStandardInput || SeekStream(stream, m_start)) return true;
        m_systemError = errno;
        Close();
        return false;
    }
    // Standard input, a pipe or a device can be read only once: what is read is kept in a
    // scratch file, which later passes read.
    m_copy = CreateScratchFile(m_systemError, m_scratchFolder);
    if (m_copy == nullptr) {
        Close();
        return false;
    }
    m_scratchFolder.clear();
    return true;
}

void InputFile::Adopt(std::FILE* stream) {
    Close();
    m_stream = stream;
    m_start = 0;
    m_buffer.resize(kReadChunk);
    m_pos = m_end = 0;
    m_atEnd = m_error = false;
}

void InputFile::Close() {
    if (m_stream != nullptr && !m_isStandardInput) std::fclose(m_stream);
    if (m_copy != nullptr) std::fclose(m_copy);
    m_stream = m_copy = nullptr;
    m_isStandardInput = false;
    m_openStamp = FileStamp();
    m_pos = m_end = 0;
}

bool InputFile::Changed() const {
    return m_openStamp.known && m_stream != nullptr && StampOf(m_stream) != m_openStamp;
}

bool InputFile::Keep(std::size_t bytes) {
    if (m_copy == nullptr || bytes == 0) return true;
    if (std::fwrite(m_buffer.data(), 1, bytes, m_copy) == bytes) return true;
    m_systemError = errno;
    m_error = true;
    return false;
}

bool InputFile::SwitchToCopy() {
    // Read what is left, so that the copy is whole, then read the copy from now on.
    while (!m_atEnd && !m_error) Fill();
    if (m_error || std::fflush(m_copy) != 0) return false;
    if (!m_isStandardInput) std::fclose(m_stream);
    m_stream = m_copy;
    m_copy = nullptr;
    m_isStandardInput = false;
    m_start = 0;  // the copy holds the stream from where it started
    return true;
}

bool InputFile::Fill() {
    if (m_stream == nullptr) {
        m_error = true;
        return false;
    }
    if (m_atEnd || m_error) return false;
    m_pos = 0;
    errno = 0;
    m_end = std::fread(m_buffer.data(), 1, m_buffer.size(), m_stream);
    m_nulAt = m_ctrlZAt = kNotSearched;
    if (m_end == 0) {
        if (std::ferror(m_stream)) {
            m_systemError = errno != 0 ? errno : EIO;
            m_error = true;
        } else {
            m_atEnd = true;
        }
        return false;
    }
    return Keep(m_end);
}

std::size_t InputFile::NextByte(char byte, std::size_t& at) {
    if (at == kNotSearched || at < m_pos) {
        const char* begin = m_buffer.data() + m_pos;
        const void* found = std::memchr(begin, byte, m_end - m_pos);
        at = found ? static_cast<std::size_t>(static_cast<const char*>(found) - m_buffer.data())
                   : m_end;
    }
    return at;
}

// Inline: it stands on the path of every line read.
inline const char* InputFile::WholeLineEnd() {
    if (m_pos >= m_end) return nullptr;
    const char* begin = m_buffer.data() + m_pos;
    const char* newline = static_cast<const char*>(std::memchr(begin, '\n', m_end - m_pos));
    if (newline == nullptr) return nullptr;
    const std::size_t end = static_cast<std::size_t>(newline - m_buffer.data());
    if (end >= NextByte('\0', m_nulAt) || end >= NextByte(kCtrlZ, m_ctrlZAt)) return nullptr;
    return newline;
}

bool InputFile::PeekWholeLine(std::string_view& raw) {
    const char* newline = WholeLineEnd();
    if (newline == nullptr) return false;
    const char* begin = m_buffer.data() + m_pos;
    raw = std::string_view(begin, static_cast<std::size_t>(newline - begin));
    m_peekedEnd = static_cast<std::size_t>(newline - m_buffer.data());
    return true;
}

bool InputFile::ReadWholeLineInBuffer(std::string_view& line, std::size_t maxKeep) {
    const char* newline = WholeLineEnd();
    if (newline == nullptr) return false;
    const char* begin = m_buffer.data() + m_pos;
    const char* first = begin;
    while (first < newline && IsBlank(*first)) ++first;
    m_leadingBlanks = static_cast<std::size_t>(first - begin);
    std::size_t length = static_cast<std::size_t>(newline - first);
    // Text mode: a CR directly before the LF is not part of the line. Cutting it first keeps
    // the same bytes when the line is also longer than maxKeep.
    if (length > 0 && first[length - 1] == '\r') --length;
    line = std::string_view(first, length < maxKeep ? length : maxKeep);
    m_pos = static_cast<std::size_t>(newline - m_buffer.data()) + 1;
    return true;
}

bool InputFile::ReadPhysicalLine(std::string_view& line, std::string& scratch,
                                 std::size_t maxKeep) {
    if (ReadWholeLineInBuffer(line, maxKeep)) return true;
    const bool read = ReadPhysicalLine(scratch, maxKeep);
    line = scratch;
    return read;
}

bool InputFile::KeepPart(std::string& line, const char* part, std::size_t length,
                         std::size_t maxKeep, bool& inLeadingBlanks) {
    bool keptAll = true;
    // A NUL byte ends the text of the line; the rest of it is dropped.
    const char* nul = static_cast<const char*>(std::memchr(part, '\0', length));
    if (nul != nullptr) {
        length = static_cast<std::size_t>(nul - part);
        keptAll = false;
    }
    if (inLeadingBlanks) {
        std::size_t skip = 0;
        while (skip < length && IsBlank(part[skip])) ++skip;
        if (skip < length) inLeadingBlanks = false;
        m_leadingBlanks += skip;
        part += skip;
        length -= skip;
    }
    if (line.size() + length > maxKeep) {
        length = maxKeep - line.size();
        keptAll = false;
    }
    line.append(part, length);
    return keptAll;
}

bool InputFile::ReadPhysicalLine(std::string& line, std::size_t maxKeep) {
    std::string_view whole;
    if (ReadWholeLineInBuffer(whole, maxKeep)) {
        line.assign(whole);
        return true;
    }

    line.clear();
    m_leadingBlanks = 0;
    bool readAny = false;
    bool inLeadingBlanks = true;
    bool keptAll = true;  // no byte after the leading blanks was dropped
    bool lastWasCR = false;
    for (;;) {
        // A read error fails the whole read, as fgets does, even after part of a line.
        if (m_pos == m_end && !Fill()) return readAny && !m_error;
        const char* begin = m_buffer.data() + m_pos;
        const std::size_t available = m_end - m_pos;
        const char* newline = static_cast<const char*>(std::memchr(begin, '\n', available));
        std::size_t length = newline ? static_cast<std::size_t>(newline - begin) : available;
        // A Ctrl-Z ends the input where it stands, before any line feed behind it.
        const char* ctrlZ = static_cast<const char*>(std::memchr(begin, kCtrlZ, length));
        if (ctrlZ != nullptr) {
            length = static_cast<std::size_t>(ctrlZ - begin);
            newline = nullptr;
        }
        readAny = readAny || length > 0 || newline != nullptr;

        if (keptAll) keptAll = KeepPart(line, begin, length, maxKeep, inLeadingBlanks);
        if (length > 0) lastWasCR = begin[length - 1] == '\r';

        if (ctrlZ != nullptr) {
            m_pos = m_end;
            m_atEnd = true;
            return readAny;
        }
        if (newline != nullptr) {
            m_pos += length + 1;
            // Text mode: a CR directly before the LF is not part of the line.
            if (lastWasCR && keptAll && !line.empty() && line.back() == '\r') line.pop_back();
            return true;
        }
        m_pos = m_end;
    }
}

bool InputFile::Rewind() {
    if (m_copy != nullptr && !SwitchToCopy()) return false;
    if (m_stream == nullptr || !SeekStream(m_stream, m_start)) return false;
    std::clearerr(m_stream);
    m_pos = m_end = 0;
    m_atEnd = m_error = false;
    return true;
}
