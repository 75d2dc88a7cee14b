#include "common/FileSystem.h"

#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdint>
#include <vector>

#include "common/Utf.h"
#else
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <atomic>


namespace {

/// A name for a temporary file of this process that no other takes.
std::string UniqueSuffix() {
    static std::atomic<unsigned> serial{0};
#ifdef _WIN32
    const unsigned long process = GetCurrentProcessId();
#else
    const unsigned long process = static_cast<unsigned long>(getpid());
#endif
    return std::to_string(process) + "-" + std::to_string(++serial);
}

/// The folder part of `path`, with its last separator ("" for a bare name).
std::string FolderOf(const std::string& path) {
#ifdef _WIN32
    const std::size_t cut = path.find_last_of("\\/:");
#else
    const std::size_t cut = path.find_last_of('/');
#endif
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

std::string NameOf(const std::string& path) { return path.substr(FolderOf(path).size()); }

}  // namespace

#ifdef _WIN32

namespace {

/// Below this many characters a path works without the "\\?\" form (the limit of a directory
/// name passed to the system is 260 less room for an 8.3 file name).
constexpr std::size_t kShortPathLimit = 248;

std::wstring Wide(const std::string& text) {
    const std::u16string utf16 = Utf8ToUtf16(text);
    return std::wstring(utf16.begin(), utf16.end());
}

bool StartsWith(const std::wstring& text, const wchar_t* prefix) {
    return text.compare(0, std::wcslen(prefix), prefix) == 0;
}

/// Reads the attributes of `path`; false when it is not found.
bool Attributes(const std::string& path, DWORD& attributes) {
    if (path.empty()) return false;
    attributes = GetFileAttributesW(SystemPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

std::wstring SystemPath(const std::string& path) {
    std::wstring wide = Wide(path);
    if (wide.size() < kShortPathLimit || StartsWith(wide, L"\\\\?\\")) return wide;
    // The "\\?\" form is taken literally by the system: make the path full and normalised
    // ("." and "..", forward slashes) first.
    const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return wide;
    std::vector<wchar_t> full(needed + 1);
    const DWORD length = GetFullPathNameW(wide.c_str(), needed + 1, full.data(), nullptr);
    if (length == 0 || length > needed) return wide;
    std::wstring result(full.data(), length);
    if (StartsWith(result, L"\\\\?\\") || StartsWith(result, L"\\\\.\\")) return result;
    if (StartsWith(result, L"\\\\")) return L"\\\\?\\UNC\\" + result.substr(2);
    return L"\\\\?\\" + result;
}

std::FILE* OpenFile(const std::string& path, const char* mode) {
    if (path.empty()) return nullptr;
    std::FILE* stream = _wfopen(SystemPath(path).c_str(), Wide(mode).c_str());
    // The C library says "Permission denied" for a file another program holds open too.
    if (stream == nullptr &&
        (_doserrno == ERROR_SHARING_VIOLATION || _doserrno == ERROR_LOCK_VIOLATION)) {
        errno = EBUSY;
    }
    return stream;
}

bool NameExists(const std::string& path) {
    DWORD attributes = 0;
    return Attributes(path, attributes);
}

bool IsDirectory(const std::string& path) {
    DWORD attributes = 0;
    return Attributes(path, attributes) && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

FileIdentity IdentityOf(const std::string& path) {
    FileIdentity identity;
    if (path.empty()) return identity;
    // No access rights are asked for, so a file another program holds open can still be
    // looked up; backup semantics let a directory be opened too.
    HANDLE handle = CreateFileW(SystemPath(path).c_str(), 0,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return identity;
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileInformationByHandle(handle, &info)) {
        identity.known = true;
        identity.device = info.dwVolumeSerialNumber;
        identity.file = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    }
    CloseHandle(handle);
    return identity;
}

namespace {

/// The errno that stands closest to a Windows error, for the message that says why.
int ErrnoOf(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE: return ENOENT;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_UNABLE_TO_REMOVE_REPLACED: return EBUSY;
        case ERROR_ACCESS_DENIED:
        case ERROR_UNABLE_TO_MOVE_REPLACEMENT:
        case ERROR_UNABLE_TO_MOVE_REPLACEMENT_2: return EACCES;
        case ERROR_ALREADY_EXISTS:
        case ERROR_FILE_EXISTS: return EEXIST;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL: return ENOSPC;
        case ERROR_WRITE_PROTECT: return EROFS;
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME: return EINVAL;
        default: return EIO;
    }
}

/// A C stream over a Windows handle; closes the handle when that fails.
std::FILE* StreamOf(HANDLE handle, int flags, const char* mode, int& error) {
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), flags);
    if (fd < 0) {
        error = EMFILE;
        CloseHandle(handle);
        return nullptr;
    }
    std::FILE* stream = _fdopen(fd, mode);
    if (stream == nullptr) {
        error = errno;
        _close(fd);
    }
    return stream;
}

HANDLE HandleOf(std::FILE* stream) {
    return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
}

/// Whether another program holds the file open without letting it be deleted or renamed
/// (access denied says only that something refused).
bool InUse(const std::wstring& path) {
    HANDLE handle = CreateFileW(path.c_str(), DELETE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        CloseHandle(handle);
        return false;
    }
    return GetLastError() == ERROR_SHARING_VIOLATION;
}

}  // namespace

FileKind KindOf(const std::string& path) {
    DWORD attributes = 0;
    if (!Attributes(path, attributes)) return FileKind::kMissing;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return FileKind::kDirectory;
    HANDLE handle = CreateFileW(SystemPath(path).c_str(), 0,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return FileKind::kRegular;
    const DWORD type = GetFileType(handle);
    CloseHandle(handle);
    return type == FILE_TYPE_DISK ? FileKind::kRegular : FileKind::kOther;
}

std::string WriteTarget(const std::string& path) {
    DWORD attributes = 0;
    if (!Attributes(path, attributes) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        return path;
    }
    HANDLE handle = CreateFileW(SystemPath(path).c_str(), 0,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return path;
    std::vector<wchar_t> final(32768);
    const DWORD length = GetFinalPathNameByHandleW(handle, final.data(),
                                                   static_cast<DWORD>(final.size()), 0);
    CloseHandle(handle);
    if (length == 0 || length >= final.size()) return path;
    return Utf16ToUtf8(std::u16string(final.begin(), final.begin() + length));
}

std::FILE* CreateTemporaryBeside(const std::string& target, std::string& temporaryPath,
                                 int& error) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporaryPath = FolderOf(target) + "." + NameOf(target) + "." + UniqueSuffix() + ".tmp";
        HANDLE handle = CreateFileW(SystemPath(temporaryPath).c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            return StreamOf(handle, _O_WRONLY | _O_BINARY, "wb", error);
        }
        const DWORD failure = GetLastError();
        if (failure == ERROR_FILE_EXISTS || failure == ERROR_ALREADY_EXISTS) continue;
        error = ErrnoOf(failure);
        return nullptr;
    }
    error = EEXIST;
    return nullptr;
}

bool MoveOver(const std::string& temporaryPath, const std::string& target, int& error) {
    const std::wstring from = SystemPath(temporaryPath);
    const std::wstring to = SystemPath(target);
    // Replacing keeps the old file's attributes and permissions; a target held open by
    // another program refuses, and stays as it was.
    if (GetFileAttributesW(to.c_str()) != INVALID_FILE_ATTRIBUTES) {
        if (ReplaceFileW(to.c_str(), from.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                         nullptr, nullptr)) {
            return true;
        }
        const DWORD failure = GetLastError();
        // Refused because the old file is in use or protected: nothing changed.
        if (failure == ERROR_SHARING_VIOLATION || failure == ERROR_LOCK_VIOLATION ||
            failure == ERROR_UNABLE_TO_REMOVE_REPLACED || failure == ERROR_ACCESS_DENIED ||
            failure == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
            error = ErrnoOf(failure);
            return false;
        }
        // Otherwise the old file is gone already (the new one could not take its name), or
        // the file system cannot replace (some network shares): a plain move finishes.
    }
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    error = ErrnoOf(GetLastError());
    if (error == EACCES && InUse(to)) error = EBUSY;
    return false;
}

bool RemoveFile(const std::string& path) { return DeleteFileW(SystemPath(path).c_str()) != 0; }

std::FILE* CreateScratchFile(int& error) {
    std::vector<wchar_t> folder(MAX_PATH + 1);
    const DWORD length = GetTempPathW(static_cast<DWORD>(folder.size()), folder.data());
    if (length == 0 || length > folder.size()) {
        error = ErrnoOf(GetLastError());
        return nullptr;
    }
    const std::string base = Utf16ToUtf8(std::u16string(folder.begin(), folder.begin() + length));
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string path = base + "bbook2tellurax-" + UniqueSuffix() + ".tmp";
        HANDLE handle = CreateFileW(SystemPath(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                    nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            return StreamOf(handle, _O_RDWR | _O_BINARY, "w+b", error);
        }
        if (GetLastError() != ERROR_FILE_EXISTS) break;
    }
    error = ErrnoOf(GetLastError());
    return nullptr;
}

FileStamp StampOf(std::FILE* stream) {
    FileStamp stamp;
    BY_HANDLE_FILE_INFORMATION info{};
    if (stream == nullptr || !GetFileInformationByHandle(HandleOf(stream), &info)) return stamp;
    stamp.known = true;
    stamp.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    stamp.modified = static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
        info.ftLastWriteTime.dwLowDateTime);
    return stamp;
}

bool IsRegularFile(std::FILE* stream) {
    if (stream == nullptr) return false;
    HANDLE handle = HandleOf(stream);
    BY_HANDLE_FILE_INFORMATION info{};
    return GetFileType(handle) == FILE_TYPE_DISK && GetFileInformationByHandle(handle, &info) &&
           (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

/// Names that are not found are compared by folder and name; Windows names ignore letter case.
bool SameFileOrName(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) return false;
    const FileIdentity first = IdentityOf(a);
    const FileIdentity second = IdentityOf(b);
    if (first.known || second.known) return first == second;
    const std::string targetA = WriteTarget(a);
    const std::string targetB = WriteTarget(b);
    const std::wstring nameA = Wide(NameOf(targetA));
    const std::wstring nameB = Wide(NameOf(targetB));
    const std::string folderA = FolderOf(targetA);
    const std::string folderB = FolderOf(targetB);
    return CompareStringOrdinal(nameA.c_str(), -1, nameB.c_str(), -1, TRUE) == CSTR_EQUAL &&
           IdentityOf(folderA.empty() ? "." : folderA) == IdentityOf(folderB.empty() ? "." : folderB);
}

#else  // POSIX

std::FILE* OpenFile(const std::string& path, const char* mode) {
    if (path.empty()) return nullptr;
    return std::fopen(path.c_str(), mode);
}

bool NameExists(const std::string& path) {
    struct stat info {};
    return !path.empty() && stat(path.c_str(), &info) == 0;
}

bool IsDirectory(const std::string& path) {
    struct stat info {};
    return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

FileIdentity IdentityOf(const std::string& path) {
    FileIdentity identity;
    struct stat info {};
    if (path.empty() || stat(path.c_str(), &info) != 0) return identity;
    identity.known = true;
    identity.device = static_cast<std::uint64_t>(info.st_dev);
    identity.file = static_cast<std::uint64_t>(info.st_ino);
    return identity;
}

FileKind KindOf(const std::string& path) {
    struct stat info {};
    if (path.empty() || stat(path.c_str(), &info) != 0) return FileKind::kMissing;
    if (S_ISREG(info.st_mode)) return FileKind::kRegular;
    if (S_ISDIR(info.st_mode)) return FileKind::kDirectory;
    return FileKind::kOther;
}

std::string WriteTarget(const std::string& path) {
    std::string target = path;
    for (int hops = 0; hops < 40; ++hops) {  // as many links as the system follows
        struct stat info {};
        if (lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return target;
        std::string link(static_cast<std::size_t>(PATH_MAX), '\0');
        const ssize_t length = readlink(target.c_str(), &link[0], link.size());
        if (length <= 0) return target;
        link.resize(static_cast<std::size_t>(length));
        target = link[0] == '/' ? link : FolderOf(target) + link;
    }
    return target;
}

std::FILE* CreateTemporaryBeside(const std::string& target, std::string& temporaryPath,
                                 int& error) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporaryPath = FolderOf(target) + "." + NameOf(target) + "." + UniqueSuffix() + ".tmp";
        // 0666 less the umask, as a file the program created directly would have.
        const int fd = open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd < 0) break;
        if (std::FILE* stream = fdopen(fd, "wb")) return stream;
        error = errno;
        close(fd);
        unlink(temporaryPath.c_str());
        return nullptr;
    }
    error = errno;
    return nullptr;
}

bool MoveOver(const std::string& temporaryPath, const std::string& target, int& error) {
    struct stat info {};
    if (stat(target.c_str(), &info) == 0) chmod(temporaryPath.c_str(), info.st_mode & 07777);
    if (rename(temporaryPath.c_str(), target.c_str()) == 0) return true;
    error = errno;
    return false;
}

bool RemoveFile(const std::string& path) { return unlink(path.c_str()) == 0; }

std::FILE* CreateScratchFile(int& error) {
    const char* folder = getenv("TMPDIR");
    std::string pattern = std::string(folder && *folder ? folder : "/tmp") + "/bbook2tellurax-XXXXXX";
    const int fd = mkstemp(&pattern[0]);
    if (fd < 0) {
        error = errno;
        return nullptr;
    }
    unlink(pattern.c_str());  // gone once closed
    std::FILE* stream = fdopen(fd, "w+b");
    if (stream == nullptr) {
        error = errno;
        close(fd);
    }
    return stream;
}

FileStamp StampOf(std::FILE* stream) {
    FileStamp stamp;
    struct stat info {};
    if (stream == nullptr || fstat(fileno(stream), &info) != 0) return stamp;
    stamp.known = true;
    stamp.size = static_cast<std::uint64_t>(info.st_size);
    stamp.modified = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 +
                     info.st_mtim.tv_nsec;
    return stamp;
}

bool IsRegularFile(std::FILE* stream) {
    struct stat info {};
    return stream != nullptr && fstat(fileno(stream), &info) == 0 && S_ISREG(info.st_mode);
}

/// Names that are not found are compared by folder and name.
bool SameFileOrName(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) return false;
    const FileIdentity first = IdentityOf(a);
    const FileIdentity second = IdentityOf(b);
    if (first.known || second.known) return first == second;
    const std::string folderA = FolderOf(WriteTarget(a));
    const std::string folderB = FolderOf(WriteTarget(b));
    return NameOf(WriteTarget(a)) == NameOf(WriteTarget(b)) &&
           IdentityOf(folderA.empty() ? "." : folderA) ==
               IdentityOf(folderB.empty() ? "." : folderB);
}

#endif

bool SameFile(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) return false;
    return IdentityOf(a) == IdentityOf(b);
}

std::string SystemErrorText(int error) {
#ifdef _WIN32
    // What a sharing violation comes to: the C library would say "Resource device".
    if (error == EBUSY) return "In use by another program";
#endif
    // strerror in the "C" locale: the program never sets another.
    const char* text = std::strerror(error);
    return text ? text : "unknown error";
}
