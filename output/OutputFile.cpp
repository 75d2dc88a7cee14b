#include "output/OutputFile.h"

#include "common/FileSystem.h"

OutputFile::~OutputFile() { Close(); }

bool OutputFile::Open(const std::string& path, std::size_t bufferSize) {
    Close();
    m_error = false;
    m_stream = OpenFile(path, "wb");
    if (m_stream == nullptr) return false;
    if (bufferSize == 0) {
        std::setvbuf(m_stream, nullptr, _IONBF, 0);
    } else {
        std::setvbuf(m_stream, nullptr, _IOFBF, bufferSize);
    }
    return true;
}

void OutputFile::Adopt(std::FILE* stream) {
    Close();
    m_error = false;
    m_stream = stream;
}

bool OutputFile::Close() {
    if (m_stream == nullptr) return !m_error;
    if (std::fflush(m_stream) != 0 || std::ferror(m_stream)) m_error = true;
    if (std::fclose(m_stream) != 0) m_error = true;
    m_stream = nullptr;
    return !m_error;
}

void OutputFile::Write(std::string_view bytes) {
    if (m_stream == nullptr) {
        m_error = true;
        return;
    }
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), m_stream) != bytes.size())
        m_error = true;
}

bool OutputFile::HasError() const {
    return m_error || (m_stream != nullptr && std::ferror(m_stream));
}
