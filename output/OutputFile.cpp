#include "output/OutputFile.h"

#include <algorithm>
#include <cerrno>

#include "common/ResultCodes.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

OutputFile::~OutputFile() { Abandon(); }

std::FILE* OutputFile::OpenTarget(const std::string& path) {
    if (path == "-") {
        if (StandardStreamClosed(1)) {
            m_systemError = EBADF;
            return nullptr;
        }
#ifdef _WIN32
        _setmode(_fileno(stdout), _O_BINARY);  // CR LF as written, on every platform
#endif
        m_isStandardOutput = true;
        return stdout;
    }
    if (const int fd = DescriptorOfName(path); fd >= 0) {
        return OpenDescriptorForWriting(fd, m_systemError);
    }
    switch (KindOf(path)) {
        case FileKind::kOther:
            errno = 0;
            return OpenFile(path, "wb");  // a device or a pipe: nothing to replace
        case FileKind::kDirectory:
            m_systemError = EISDIR;
            return nullptr;
        default:
            m_whole = true;
            return m_replaced.Begin(WriteTarget(path), m_systemError);
    }
}

bool OutputFile::Open(const std::string& path, std::size_t bufferSize) {
    Abandon();
    m_error = m_whole = false;
    m_failure = m_systemError = 0;
    m_stream = OpenTarget(path);
    if (m_stream == nullptr) {
        if (m_systemError == 0) m_systemError = errno;
        m_whole = false;
        return false;
    }
    m_open = true;
    // The pending text is the buffer: the stream passes whole blocks on to the system.
    std::setvbuf(m_stream, nullptr, _IONBF, 0);
    m_blockSize = bufferSize;
    const std::size_t room = std::min<std::size_t>(bufferSize, 1 << 16);
    m_pending.Clear();
    m_pending.Reserve(room + (room >> 4));
    return true;
}

void OutputFile::Adopt(std::FILE* stream) {
    Abandon();
    m_error = m_whole = false;
    m_failure = m_systemError = 0;
    m_stream = stream;
    m_open = true;
    m_blockSize = 0;
    m_pending.Clear();
}

void OutputFile::NoteWriteError() {
    if (!m_error) m_systemError = errno;
    m_error = true;
}

bool OutputFile::Fail(int failure) {
    m_failure = failure;
    Abandon();
    return false;
}

bool OutputFile::Finish() {
    if (!m_open) return !m_error && m_failure == 0;
    if (!m_whole) {
        if (!HasError()) return true;  // the rest is written by Commit
        NoteWriteError();
        return Fail(kMsgWriteError);
    }
    WritePending();
    m_stream = nullptr;  // the temporary file's: Complete closes it
    if (m_error) return Fail(kMsgWriteError);
    if (!m_replaced.Complete(m_systemError)) return Fail(kMsgWriteError);
    return true;
}

void OutputFile::CloseDirect() {
    WritePending();
    errno = 0;
    if (std::fflush(m_stream) != 0 || std::ferror(m_stream)) NoteWriteError();
    if (!m_isStandardOutput && std::fclose(m_stream) != 0) NoteWriteError();
    m_stream = nullptr;
}

bool OutputFile::Commit() {
    if (!m_open) return !m_error && m_failure == 0;
    if (m_whole) {
        return m_replaced.Commit(m_systemError) || Fail(kMsgCannotOpen);
    }
    if (m_stream != nullptr) CloseDirect();
    return !m_error || Fail(kMsgWriteError);
}

void OutputFile::Rollback() {
    if (m_whole) m_replaced.Rollback();
    m_open = m_whole = m_isStandardOutput = false;
}

void OutputFile::Release() {
    if (m_whole) m_replaced.Release();
    m_open = m_whole = m_isStandardOutput = false;
    m_pending.Clear();
}

bool OutputFile::Close() {
    if (!Finish() || !Commit()) return false;
    Release();
    return true;
}

void OutputFile::Abandon() {
    if (m_stream != nullptr && !m_whole) {
        if (m_isStandardOutput) {
            std::fflush(m_stream);
        } else {
            std::fclose(m_stream);
        }
    }
    m_replaced.Discard();
    m_stream = nullptr;
    m_open = m_whole = m_isStandardOutput = false;
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
