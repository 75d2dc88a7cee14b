#include "bluebook/InputFile.h"

#include <cstring>

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
    // Some systems open a directory as a stream that fails only when it is read: ask the file
    // system instead, so that a read error in the first block of a file is reported as one.
    if (IsDirectory(path)) return false;
    std::FILE* stream = OpenFile(path, "rb");
    if (stream == nullptr) return false;
    Adopt(stream);
    return true;
}

void InputFile::Adopt(std::FILE* stream) {
    Close();
    m_stream = stream;
    m_buffer.resize(kReadChunk);
    m_pos = m_end = 0;
    m_atEnd = m_error = false;
}

void InputFile::Close() {
    if (m_stream != nullptr) std::fclose(m_stream);
    m_stream = nullptr;
    m_pos = m_end = 0;
}

bool InputFile::Fill() {
    if (m_stream == nullptr) {
        m_error = true;
        return false;
    }
    if (m_atEnd || m_error) return false;
    m_pos = 0;
    m_end = std::fread(m_buffer.data(), 1, m_buffer.size(), m_stream);
    m_nulAt = m_ctrlZAt = kNotSearched;
    if (m_end == 0) {
        if (std::ferror(m_stream)) {
            m_error = true;
        } else {
            m_atEnd = true;
        }
        return false;
    }
    return true;
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

bool InputFile::ReadWholeLineInBuffer(std::string& line, std::size_t maxKeep) {
    if (m_pos >= m_end) return false;
    const char* begin = m_buffer.data() + m_pos;
    const char* newline = static_cast<const char*>(std::memchr(begin, '\n', m_end - m_pos));
    if (newline == nullptr) return false;
    const std::size_t end = static_cast<std::size_t>(newline - m_buffer.data());
    if (end >= NextByte('\0', m_nulAt) || end >= NextByte(kCtrlZ, m_ctrlZAt)) return false;
    const char* first = begin;
    while (first < newline && IsBlank(*first)) ++first;
    m_leadingBlanks = static_cast<std::size_t>(first - begin);
    std::size_t length = static_cast<std::size_t>(newline - first);
    // Text mode: a CR directly before the LF is not part of the line. Cutting it first keeps
    // the same bytes when the line is also longer than maxKeep.
    if (length > 0 && first[length - 1] == '\r') --length;
    line.assign(first, length < maxKeep ? length : maxKeep);
    m_pos = end + 1;
    return true;
}

bool InputFile::ReadPhysicalLine(std::string& line, std::size_t maxKeep) {
    if (ReadWholeLineInBuffer(line, maxKeep)) return true;

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

        const char* segment = begin;
        std::size_t take = length;
        if (keptAll) {
            // A NUL byte ends the text of the line; the rest of it is dropped.
            const char* nul = static_cast<const char*>(std::memchr(segment, '\0', take));
            if (nul != nullptr) {
                take = static_cast<std::size_t>(nul - segment);
                keptAll = false;
            }
            if (inLeadingBlanks) {
                std::size_t skip = 0;
                while (skip < take && IsBlank(segment[skip])) ++skip;
                if (skip < take) inLeadingBlanks = false;
                m_leadingBlanks += skip;
                segment += skip;
                take -= skip;
            }
            if (line.size() + take > maxKeep) {
                take = maxKeep - line.size();
                keptAll = false;
            }
            line.append(segment, take);
        }
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
    if (m_stream == nullptr || std::fseek(m_stream, 0, SEEK_SET) != 0) return false;
    std::clearerr(m_stream);
    m_pos = m_end = 0;
    m_atEnd = m_error = false;
    return true;
}
