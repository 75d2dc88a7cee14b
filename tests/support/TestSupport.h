// Helpers shared by the tests: a recording fake platform, temporary folders and whole-file I/O.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <process.h>
inline int testing_pid() { return _getpid(); }
#else
#include <unistd.h>
inline int testing_pid() { return static_cast<int>(getpid()); }
#endif

#include "convert/BlueBookConverter.h"
#include "convert/Messages.h"
#include "convert/Platform.h"

/// A platform that hands out preset fields and records every message it is asked to show.
class FakePlatform : public Platform {
public:
    struct Shown {
        int number;
        std::string text;
    };

    std::string outputPath, gFilePath, serfilPath, bFilePath;
    bool refuseFetch = false;
    std::vector<Shown> shown;

    bool FetchFields(BlueBookConverter& c) override {
        if (refuseFetch) return false;
        c.m_outputPath = outputPath;
        c.m_gFilePath = gFilePath;
        c.m_serfilPath = serfilPath;
        c.m_bFilePath = bFilePath;
        return true;
    }
    std::string LoadMessageText(int number) override { return CatalogueText(number); }
    int ShowMessage(const std::string& text, unsigned, int helpContext) override {
        shown.push_back({helpContext, text});
        return 1;
    }
    bool NameExists(const std::string& path) override {
        std::error_code error;
        return std::filesystem::exists(path, error);
    }
};

/// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir() {
        static int serial = 0;
        const auto base = std::filesystem::temp_directory_path();
        for (;;) {
            path_ = base / ("bbtest-" + std::to_string(testing_pid()) + "-" +
                            std::to_string(++serial));
            if (std::filesystem::create_directory(path_)) break;
        }
    }
    ~TempDir() {
        std::error_code error;
        std::filesystem::remove_all(path_, error);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    /// The path of `name` inside the folder.
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

/// A record line: `text` pieces placed at their 1-based columns, blanks between them (no line
/// end).
inline std::string ColumnLine(std::initializer_list<std::pair<int, std::string>> pieces) {
    std::string line;
    for (const auto& [column, text] : pieces) {
        const std::size_t at = static_cast<std::size_t>(column - 1);
        if (line.size() < at + text.size()) line.resize(at + text.size(), ' ');
        line.replace(at, text.size(), text);
    }
    return line;
}

/// The lines of an output file, without their CR LF.
inline std::vector<std::string> CrLfLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

/// Joins lines with CR LF after each, as the output file writes them.
inline std::string CrLf(std::initializer_list<std::string> lines) {
    std::string text;
    for (const auto& line : lines) text += line + "\r\n";
    return text;
}
