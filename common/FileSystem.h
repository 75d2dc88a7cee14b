// The few file-system operations the conversion needs, for UTF-8 names on every platform. On
// Windows each goes through the wide (UTF-16) calls, with paths of 260 characters and more in
// their "\\?\" form; elsewhere the name's bytes are used as they are (Linux names need not be
// UTF-8). None of them throws.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

/// Opens `path` with a C stdio `mode` ("rb", "wb", ...). Null when it cannot be opened.
std::FILE* OpenFile(const std::string& path, const char* mode);

/// True when the file system finds an entry called `path` (a directory counts).
bool NameExists(const std::string& path);

/// True when `path` names a directory (following symbolic links).
bool IsDirectory(const std::string& path);

/// What the file system says a name is: the device (volume serial number on Windows) and the
/// file number on it (inode; Windows file index). Two names with equal known identities are
/// the same file, whatever their spelling, case or links.
struct FileIdentity {
    bool known = false;  // false: the name could not be looked up (it may not exist)
    std::uint64_t device = 0;
    std::uint64_t file = 0;

    bool operator==(const FileIdentity& other) const {
        return known && other.known && device == other.device && file == other.file;
    }
};

/// The identity of the file `path` names (through symbolic links).
FileIdentity IdentityOf(const std::string& path);

/// True when both names are found and are the same file.
bool SameFile(const std::string& a, const std::string& b);

/// The system's own text for an error number (errno), for "... : Permission denied".
std::string SystemErrorText(int error);

#ifdef _WIN32
/// The UTF-16 form of `path` that the wide calls take: "\\?\" (or "\\?\UNC\") before the full
/// path when the path is 248 characters or longer, so that the 260-character limit does not
/// apply; shorter paths as they are.
std::wstring SystemPath(const std::string& path);
#endif
