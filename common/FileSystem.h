// The few file-system operations the conversion needs, for UTF-8 names on every platform. On
// Windows each goes through the wide (UTF-16) calls, with paths of 260 characters and more in
// their "\\?\" form; elsewhere the name's bytes are used as they are (Linux names need not be
// UTF-8). None of them throws.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

/// Opens `path` with a C stdio `mode` ("rb", "wb", ...). Null when it cannot be opened, with
/// errno set.
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

// --- Files written whole ------------------------------------------------------------------------

/// What a name is, following symbolic links.
enum class FileKind { kMissing, kRegular, kDirectory, kOther /* device, pipe, socket */ };
FileKind KindOf(const std::string& path);

/// Where a file written to `path` lands: the file a symbolic link points to (through every
/// link, even when that file does not exist yet), else `path` itself.
std::string WriteTarget(const std::string& path);

/// True when `a` and `b` are, or would be once created, the same file: both found and the same
/// file, or both not found with the same name in the same folder (by the file system's rules
/// for letter case).
bool SameFileOrName(const std::string& a, const std::string& b);

/// Creates a new, empty file beside `target`, under a name of its own, open for writing in
/// binary. Null when it cannot, with `error` (errno) set.
std::FILE* CreateTemporaryBeside(const std::string& target, std::string& temporaryPath,
                                 int& error);

/// Moves `temporaryPath` over `target` in one step, keeping the permissions of an existing
/// target. False, with `error` set, when it cannot: the target is then as it was.
bool MoveOver(const std::string& temporaryPath, const std::string& target, int& error);

/// Removes the file `path`; false when it cannot.
bool RemoveFile(const std::string& path);

/// A new file of the system's temporary folder, open for reading and writing in binary, that
/// goes away when it is closed. Null when it cannot, with `error` set.
std::FILE* CreateScratchFile(int& error);

/// The size and the time of the last change of an open file, to notice a change while it is
/// being read.
struct FileStamp {
    bool known = false;
    std::uint64_t size = 0;
    std::int64_t modified = 0;  // nanoseconds (POSIX) or 100-nanosecond units (Windows)

    bool operator==(const FileStamp& other) const {
        return known == other.known && size == other.size && modified == other.modified;
    }
    bool operator!=(const FileStamp& other) const { return !(*this == other); }
};
FileStamp StampOf(std::FILE* stream);

/// True when `stream` is a regular file (it can be read again from its start).
bool IsRegularFile(std::FILE* stream);

#ifdef _WIN32
/// The UTF-16 form of `path` that the wide calls take: "\\?\" (or "\\?\UNC\") before the full
/// path when the path is 248 characters or longer, so that the 260-character limit does not
/// apply; shorter paths as they are.
std::wstring SystemPath(const std::string& path);
#endif
