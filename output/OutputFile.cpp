#include "output/OutputFile.h"

#include <cerrno>

#include "common/FileSystem.h"
#include "common/ResultCodes.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

OutputFile::~OutputFile() { Abandon(); }

bool OutputFile::Open(const std::string& path, std::size_t bufferSize) {
    Abandon();
    m_error = false;
    m_failure = m_systemError = 0;
    m_target.clear();
    m_temporary.clear();
    if (path == "-") {
#ifdef _WIN32
        _setmode(_fileno(stdout), _O_BINARY);  // CR LF as written, on every platform
#endif
        m_stream = stdout;
        m_isStandardOutput = true;
    } else if (KindOf(path) == FileKind::kOther) {
        errno = 0;
        m_stream = OpenFile(path, "wb");  // a device or a pipe: nothing to replace
    } else if (KindOf(path) == FileKind::kDirectory) {
        m_systemError = EISDIR;
        return false;
    } else {
        m_target = WriteTarget(path);
        m_stream = CreateTemporaryBeside(m_target, m_temporary, m_systemError);
    }
    if (m_stream == nullptr) {
        if (m_systemError == 0) m_systemError = errno;
        return false;
    }
    // The pending text is the buffer: the stream passes whole blocks on to the system.
    std::setvbuf(m_stream, nullptr, _IONBF, 0);
    m_blockSize = bufferSize;
    m_pending.Clear();
    m_pending.Reserve(bufferSize + (bufferSize >> 4));
    return true;
}

void OutputFile::Adopt(std::FILE* stream) {
    Abandon();
    m_error = false;
    m_failure = m_systemError = 0;
    m_target.clear();
    m_temporary.clear();
    m_stream = stream;
    m_blockSize = 0;
    m_pending.Clear();
}

void OutputFile::NoteWriteError() {
    if (!m_error) m_systemError = errno;
    m_error = true;
}

bool OutputFile::Close() {
    if (m_stream == nullptr) return !m_error && m_failure == 0;
    WritePending();
    errno = 0;
    if (std::fflush(m_stream) != 0 || std::ferror(m_stream)) NoteWriteError();
    if (!m_isStandardOutput && std::fclose(m_stream) != 0) NoteWriteError();
    m_stream = nullptr;
    m_isStandardOutput = false;
    if (m_error) {
        m_failure = kMsgWriteError;
        if (!m_temporary.empty()) RemoveFile(m_temporary);
    } else if (!m_temporary.empty() && !MoveOver(m_temporary, m_target, m_systemError)) {
        m_failure = kMsgCannotOpen;
        RemoveFile(m_temporary);
    }
    m_temporary.clear();
    return m_failure == 0;
}

void OutputFile::Abandon() {
    if (m_stream == nullptr) return;
    if (m_isStandardOutput) {
        std::fflush(m_stream);
    } else {
        std::fclose(m_stream);
    }
    m_stream = nullptr;
    m_isStandardOutput = false;
    if (!m_temporary.empty()) RemoveFile(m_temporary);
    m_temporary.clear();
    m_pending.Clear();
}

void OutputFile::Write(std::string_view bytes) {
    m_pending.Append(bytes);
    RecordWritten();
}

void OutputFile::RecordWritten() {
    if (m_stream == nullptr) {
        m_error = true;
        m_pending.Clear();
        return;
    }
    if (m_pending.Size() >= m_blockSize) WritePending();
}

void OutputFile::WritePending() {
    if (m_pending.Empty() || m_stream == nullptr) return;
    errno = 0;
    const std::string_view text = m_pending.View();
    if (std::fwrite(text.data(), 1, text.size(), m_stream) != text.size()) {
        NoteWriteError();
    }
    m_pending.Clear();
}

bool OutputFile::HasError() const {
    return m_error || (m_stream != nullptr && std::ferror(m_stream));
}
