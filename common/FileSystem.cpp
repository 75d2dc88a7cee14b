#include "common/FileSystem.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <vector>

#ifdef _WIN32
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include "common/Utf.h"
#else
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#endif

namespace {

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

std::uint64_t ProcessId() {
#ifdef _WIN32
    return GetCurrentProcessId();
#else
    return static_cast<std::uint64_t>(getpid());
#endif
}

/// A clock that moves between two runs of one process number.
std::uint64_t Ticks() {
#ifdef _WIN32
    LARGE_INTEGER count{};
    QueryPerformanceCounter(&count);  // not std::chrono, which brings the thread library's clock
    return static_cast<std::uint64_t>(count.QuadPart);
#else
    return static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
#endif
}

/// A name for a temporary file that no other takes, of fixed length whatever the target's name
/// (so that any name the file system accepts can be an output): ".bb", 8 letters or digits
/// (lower case only, for file systems that ignore case), ".tmp".
std::string TemporaryLeaf() {
    static std::atomic<std::uint64_t> serial{0};
    std::uint64_t x = ProcessId() * 0x9E3779B97F4A7C15ull + ++serial + Ticks();
    x ^= x >> 30;  // mixed so that nearby inputs give unrelated names
    x *= 0xBF58476D1CE4E5B9ull;
    x ^= x >> 27;
    x *= 0x94D049BB133111EBull;
    x ^= x >> 31;
    std::string leaf = ".bb";
    for (int i = 0; i < 8; ++i, x /= 36) leaf += "0123456789abcdefghijklmnopqrstuvwxyz"[x % 36];
    return leaf + ".tmp";
}

/// Copies the whole of `from`, from its start, over the start of `to`; `size` gets the bytes
/// copied. False with errno set when a read or a write fails.
bool CopyStream(std::FILE* from, std::FILE* to, std::int64_t& size) {
    size = 0;
    if (!SeekStream(from, 0) || !SeekStream(to, 0)) return false;
    std::vector<char> block(1 << 16);
    for (;;) {
        errno = 0;
        const std::size_t got = std::fread(block.data(), 1, block.size(), from);
        if (got == 0) return !std::ferror(from) && std::fflush(to) == 0 && !std::ferror(to);
        if (std::fwrite(block.data(), 1, got, to) != got) return false;
        size += static_cast<std::int64_t>(got);
    }
}

int ErrnoOr(int fallback) { return errno != 0 ? errno : fallback; }

/// What ReplaceKeepingBackup returns for a target that cannot be renamed over (a bind mount):
/// the result is to be copied in.
constexpr int kCopyInstead = -1;

/// The standard descriptors as the program found them at start.
struct StandardState {
    bool closed[3] = {false, false, false};
    std::int64_t inputStart = 0;  // standard input's offset, when it is a file
};

// --- The names removed on an interruption ------------------------------------------------------
// Slots hold copies of the names; the handler takes each with one atomic exchange, so that it
// may run at any moment (a signal handler on POSIX, a thread of its own on Windows).

constexpr int kNotes = 64;
std::atomic<char*> g_notes[kNotes];

void RemoveNotedNames();

}  // namespace

int NoteTemporaryName(const std::string& path) {
    char* copy = static_cast<char*>(std::malloc(path.size() + 1));
    if (copy == nullptr) return -1;
    std::memcpy(copy, path.c_str(), path.size() + 1);
    for (int i = 0; i < kNotes; ++i) {
        char* expected = nullptr;
        if (g_notes[i].compare_exchange_strong(expected, copy)) return i;
    }
    std::free(copy);
    return -1;
}

void ForgetTemporaryName(int note) {
    if (note >= 0 && note < kNotes) std::free(g_notes[note].exchange(nullptr));
}

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

/// Opens `path` for no access at all (so that a file another program holds open can still be
/// looked at); backup semantics let a directory be opened too.
HANDLE OpenForQuery(const std::string& path) {
    return CreateFileW(SystemPath(path).c_str(), 0,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

FileIdentity IdentityOfHandle(HANDLE handle) {
    FileIdentity identity;
    BY_HANDLE_FILE_INFORMATION info{};
    FILE_ID_INFO id{};
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return identity;
    if (GetFileInformationByHandle(handle, &info)) {
        identity.known = true;
        identity.device = info.dwVolumeSerialNumber;
        identity.file = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    } else if (GetFileInformationByHandleEx(handle, FileIdInfo, &id, sizeof id)) {
        // A standard handle Wine made from a file it was given: the volume is not known, the
        // file number is (its low 64 bits are the file index).
        identity.known = true;
        identity.deviceKnown = false;
        std::memcpy(&identity.file, id.FileId.Identifier, sizeof identity.file);
    }
    return identity;
}

/// The errno that stands closest to a Windows error, for the message that says why.
int ErrnoOf(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE: return ENOENT;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_DELETE_PENDING:
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
        case ERROR_INVALID_HANDLE: return EBADF;
        default: return EIO;
    }
}

/// True for the errors another program's replace of the same file gives while it runs: worth
/// another try a moment later.
bool Transient(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
           error == ERROR_ACCESS_DENIED || error == ERROR_DELETE_PENDING ||
           error == ERROR_UNABLE_TO_REMOVE_REPLACED || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT;
}

/// Runs `attempt` (which returns true on success) until it succeeds, fails for good, or about
/// three seconds have passed; the last error stays GetLastError().
template <typename Attempt>
bool Retrying(Attempt attempt) {
    for (int tries = 0;; ++tries) {
        if (attempt()) return true;
        const DWORD failure = GetLastError();
        if (!Transient(failure) || tries >= 150) return false;
        Sleep(20);
        SetLastError(failure);
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

/// The errno of the last failure on `path`, telling a file in use apart from one refused.
int FailureOn(const std::wstring& path) {
    int error = ErrnoOf(GetLastError());
    if (error == EACCES && InUse(path)) error = EBUSY;
    return error;
}

bool RemoveFile(const std::string& path) { return DeleteFileW(SystemPath(path).c_str()) != 0; }

void RemoveNotedNames() {
    for (auto& note : g_notes) {
        if (char* path = note.exchange(nullptr)) DeleteFileW(SystemPath(path).c_str());
    }
}

/// Held while files are put in place or back; the console's handler waits for it.
CRITICAL_SECTION& InterruptLock() {
    static CRITICAL_SECTION* lock = [] {
        static CRITICAL_SECTION section;
        InitializeCriticalSection(&section);
        return &section;
    }();
    return *lock;
}

BOOL WINAPI OnConsoleEvent(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) {
        return FALSE;
    }
    EnterCriticalSection(&InterruptLock());
    RemoveNotedNames();
    return FALSE;  // the default handler ends the program, the lock still held
}

/// The standard handle of descriptor 0, 1 or 2.
HANDLE StandardHandle(int fd) {
    const DWORD which[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
    return fd >= 0 && fd < 3 ? GetStdHandle(which[fd]) : nullptr;
}

const StandardState& Standard() {
    static const StandardState state = [] {
        StandardState s;
        for (int fd = 0; fd < 3; ++fd) {
            const HANDLE handle = StandardHandle(fd);
            s.closed[fd] = handle == nullptr || handle == INVALID_HANDLE_VALUE;
        }
        LARGE_INTEGER at{};
        if (!s.closed[0] && GetFileType(StandardHandle(0)) == FILE_TYPE_DISK &&
            SetFilePointerEx(StandardHandle(0), LARGE_INTEGER{}, &at, FILE_CURRENT)) {
            s.inputStart = at.QuadPart > 0 ? at.QuadPart : 0;
        }
        return s;
    }();
    return state;
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
    if (path.empty()) return {};
    HANDLE handle = OpenForQuery(path);
    if (handle == INVALID_HANDLE_VALUE) return {};
    const FileIdentity identity = IdentityOfHandle(handle);
    CloseHandle(handle);
    return identity;
}

FileKind KindOf(const std::string& path) {
    DWORD attributes = 0;
    if (!Attributes(path, attributes)) return FileKind::kMissing;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return FileKind::kDirectory;
    HANDLE handle = OpenForQuery(path);
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
    HANDLE handle = OpenForQuery(path);
    if (handle == INVALID_HANDLE_VALUE) return path;
    std::vector<wchar_t> final(32768);
    const DWORD length = GetFinalPathNameByHandleW(handle, final.data(),
                                                   static_cast<DWORD>(final.size()), 0);
    CloseHandle(handle);
    if (length == 0 || length >= final.size()) return path;
    return Utf16ToUtf8(std::u16string(final.begin(), final.begin() + length));
}

void SetUpStandardStreams() { Standard(); }

bool StandardStreamClosed(int fd) { return fd >= 0 && fd < 3 && Standard().closed[fd]; }

int DescriptorOfName(const std::string&) { return -1; }

FileIdentity InputIdentity(const std::string& path) {
    if (path != "-") return IdentityOf(path);
    if (StandardStreamClosed(0) || GetFileType(StandardHandle(0)) != FILE_TYPE_DISK) return {};
    return IdentityOfHandle(StandardHandle(0));
}

FileIdentity OutputIdentity(const std::string& path) {
    if (path != "-") return IdentityOf(path);
    if (StandardStreamClosed(1)) return {};
    return IdentityOfHandle(StandardHandle(1));
}

std::FILE* OpenDescriptorForWriting(int, int& error) {
    error = EBADF;
    return nullptr;
}

std::int64_t StandardInputStart() { return Standard().inputStart; }

bool SeekStream(std::FILE* stream, std::int64_t offset) {
    return stream != nullptr && _fseeki64(stream, offset, SEEK_SET) == 0;
}

std::FILE* CreateScratchFile(int& error, std::string& folder) {
    std::vector<wchar_t> path(MAX_PATH + 1);
    const DWORD length = GetTempPathW(static_cast<DWORD>(path.size()), path.data());
    if (length == 0 || length > path.size()) {
        error = ErrnoOf(GetLastError());
        folder = "%TEMP%";
        return nullptr;
    }
    folder = Utf16ToUtf8(std::u16string(path.begin(), path.begin() + length));
    for (int attempt = 0; attempt < 100; ++attempt) {
        HANDLE handle = CreateFileW(SystemPath(folder + TemporaryLeaf()).c_str(),
                                    GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            return StreamOf(handle, _O_RDWR | _O_BINARY, "w+b", error);
        }
        if (GetLastError() != ERROR_FILE_EXISTS) break;
    }
    error = ErrnoOf(GetLastError());
    if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    return nullptr;
}

void RemoveTemporariesOnInterrupt() { SetConsoleCtrlHandler(OnConsoleEvent, TRUE); }

InterruptionsDeferred::InterruptionsDeferred() : m_saved{} {
    EnterCriticalSection(&InterruptLock());
}
InterruptionsDeferred::~InterruptionsDeferred() { LeaveCriticalSection(&InterruptLock()); }

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

namespace {

/// Names that are not found are compared by folder and name; Windows names ignore letter case.
bool SameNameInSameFolder(const std::string& a, const std::string& b) {
    const std::string targetA = WriteTarget(a);
    const std::string targetB = WriteTarget(b);
    const std::wstring nameA = Wide(NameOf(targetA));
    const std::wstring nameB = Wide(NameOf(targetB));
    const std::string folderA = FolderOf(targetA);
    const std::string folderB = FolderOf(targetB);
    return CompareStringOrdinal(nameA.c_str(), -1, nameB.c_str(), -1, TRUE) == CSTR_EQUAL &&
           IdentityOf(folderA.empty() ? "." : folderA) == IdentityOf(folderB.empty() ? "." : folderB);
}

// --- Files replaced whole (Windows) -------------------------------------------------------------

struct TargetInfo {
    bool exists = false;
    bool copyIn = false;
};

/// Whether `target` exists, may be written, and must be copied into (it has other hard links).
/// 0 or the errno that refuses it.
int ProbeTarget(const std::string& target, TargetInfo& info) {
    DWORD attributes = 0;
    if (!Attributes(target, attributes)) return 0;  // a new file: its folder is tried by creating
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return EISDIR;
    if (attributes & FILE_ATTRIBUTE_READONLY) return EACCES;
    const std::wstring path = SystemPath(target);
    HANDLE handle = INVALID_HANDLE_VALUE;
    if (!Retrying([&] {
            handle = CreateFileW(path.c_str(), GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
            return handle != INVALID_HANDLE_VALUE;
        })) {
        // Gone meanwhile (another job's replace of it runs): a new file, as far as this one goes.
        return GetLastError() == ERROR_FILE_NOT_FOUND ? 0 : FailureOn(path);
    }
    BY_HANDLE_FILE_INFORMATION data{};
    info.exists = true;
    info.copyIn = GetFileInformationByHandle(handle, &data) && data.nNumberOfLinks > 1;
    CloseHandle(handle);
    return 0;
}

/// A new file beside the target, open for reading and writing, marked to be deleted when it is
/// closed (so that nothing stays should the program end without closing it): `anonymous`.
std::FILE* CreateBeside(const std::string& folder, TargetInfo&, std::string& name,
                        bool& anonymous, int& error) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = folder + TemporaryLeaf();
        HANDLE handle = CreateFileW(SystemPath(name).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                                    FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_FILE_EXISTS) continue;
            break;
        }
        FILE_DISPOSITION_INFO disposition{TRUE};
        anonymous = SetFileInformationByHandle(handle, FileDispositionInfo, &disposition,
                                               sizeof disposition) != 0;
        return StreamOf(handle, _O_RDWR | _O_BINARY, "w+b", error);
    }
    error = ErrnoOf(GetLastError());
    name.clear();
    return nullptr;
}

/// Keeps the complete temporary file when it is closed.
bool GiveName(std::FILE* stream, const std::string&, std::string&, int& error) {
    FILE_DISPOSITION_INFO disposition{FALSE};
    if (SetFileInformationByHandle(HandleOf(stream), FileDispositionInfo, &disposition,
                                   sizeof disposition)) {
        return true;
    }
    error = ErrnoOf(GetLastError());
    return false;
}

/// Moves `temporary` to `target`, which does not exist: 0, or the errno (EEXIST when it does
/// by now).
int MoveNew(const std::string& temporary, const std::string& target) {
    if (MoveFileExW(SystemPath(temporary).c_str(), SystemPath(target).c_str(),
                    MOVEFILE_WRITE_THROUGH)) {
        return 0;
    }
    return ErrnoOf(GetLastError());
}

/// Where the system cannot replace (some network shares): the old file moved aside, the new one
/// moved in, the old one back should that fail.
int MoveAsideAndIn(const std::wstring& from, const std::wstring& to, const std::wstring& aside) {
    if (!MoveFileExW(to.c_str(), aside.c_str(), MOVEFILE_WRITE_THROUGH)) return FailureOn(to);
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) return 0;
    const int error = ErrnoOf(GetLastError());
    MoveFileExW(aside.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH);
    return error;
}

/// Replaces `target` by `temporary`, keeping the old file's attributes and security, and the
/// old file itself as `backup`. Another program's replace of the same file is waited for a
/// moment. 0 or the errno; the target is then as it was.
int ReplaceKeepingBackup(const std::string& temporary, const std::string& target,
                         std::string& backup) {
    backup = FolderOf(target) + TemporaryLeaf();
    const std::wstring from = SystemPath(temporary);
    const std::wstring to = SystemPath(target);
    const std::wstring aside = SystemPath(backup);
    const bool replaced = Retrying([&] {
        if (ReplaceFileW(to.c_str(), from.c_str(), aside.c_str(), REPLACEFILE_IGNORE_MERGE_ERRORS,
                         nullptr, nullptr)) {
            return true;
        }
        // The new file could not take the name: the old one goes back, unless another job's
        // result took the name meanwhile, which makes it out of date.
        if (GetLastError() == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
            if (!MoveFileExW(aside.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) {
                DeleteFileW(aside.c_str());
            }
            SetLastError(ERROR_UNABLE_TO_MOVE_REPLACEMENT);
        }
        return false;
    });
    if (replaced) return 0;
    const DWORD failure = GetLastError();
    if (Transient(failure)) return FailureOn(to);
    if (failure == ERROR_FILE_NOT_FOUND) return ENOENT;  // gone meanwhile: looked at again
    return MoveAsideAndIn(from, to, aside);
}

/// Puts `backup` back over `target`.
void PutBack(const std::string& backup, const std::string& target) {
    MoveFileExW(SystemPath(backup).c_str(), SystemPath(target).c_str(),
                MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

bool Truncate(std::FILE* stream, std::int64_t size) {
    LARGE_INTEGER end{};
    end.QuadPart = size;
    return std::fflush(stream) == 0 && SetFilePointerEx(HandleOf(stream), end, nullptr, FILE_BEGIN) &&
           SetEndOfFile(HandleOf(stream));
}

}  // namespace

#else  // POSIX

namespace {

void RemoveNotedNames() {
    for (auto& note : g_notes) {
        if (char* path = note.exchange(nullptr)) unlink(path);  // no free: not in a handler
    }
}

extern "C" void OnInterrupt(int signal) {
    const int saved = errno;
    RemoveNotedNames();
    errno = saved;
    raise(signal);  // the default action is back (SA_RESETHAND): it ends the program on return
}

/// The signals that end a program with files half written.
sigset_t InterruptSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&set, signal);
    return set;
}

bool DescriptorOpen(int fd) { return fcntl(fd, F_GETFD) != -1 || errno != EBADF; }

const StandardState& Standard() {
    static const StandardState state = [] {
        StandardState s;
        for (int fd = 0; fd < 3; ++fd) s.closed[fd] = !DescriptorOpen(fd);
        struct stat info {};
        if (!s.closed[0] && fstat(0, &info) == 0 && S_ISREG(info.st_mode)) {
            const off_t at = lseek(0, 0, SEEK_CUR);
            s.inputStart = at > 0 ? static_cast<std::int64_t>(at) : 0;
        }
        return s;
    }();
    return state;
}

FileIdentity IdentityOfStat(const struct stat& info) {
    FileIdentity identity;
    identity.known = true;
    identity.device = static_cast<std::uint64_t>(info.st_dev);
    identity.file = static_cast<std::uint64_t>(info.st_ino);
    return identity;
}

/// The identity of what descriptor `fd` holds; with `regularOnly`, unknown unless a regular file.
FileIdentity IdentityOfDescriptor(int fd, bool regularOnly) {
    struct stat info {};
    if (StandardStreamClosed(fd) || fstat(fd, &info) != 0) return {};
    if (regularOnly && !S_ISREG(info.st_mode)) return {};
    return IdentityOfStat(info);
}

bool RemoveFile(const std::string& path) { return unlink(path.c_str()) == 0; }

}  // namespace

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
    struct stat info {};
    if (path.empty() || stat(path.c_str(), &info) != 0) return {};
    return IdentityOfStat(info);
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

void SetUpStandardStreams() {
    const StandardState& state = Standard();
    for (int fd = 0; fd < 3; ++fd) {
        if (!state.closed[fd]) continue;
        // The lowest free number is taken, which is this one: the ones below are open.
        const int null = open("/dev/null", O_RDWR);
        if (null >= 0 && null != fd) {
            dup2(null, fd);
            close(null);
        }
    }
}

bool StandardStreamClosed(int fd) {
    return fd >= 0 && fd < 3 && (Standard().closed[fd] || !DescriptorOpen(fd));
}

int DescriptorOfName(const std::string& path) {
    if (path == "/dev/stdin") return 0;
    if (path == "/dev/stdout") return 1;
    if (path == "/dev/stderr") return 2;
    for (const std::string prefix : {"/dev/fd/", "/proc/self/fd/"}) {
        if (path.size() <= prefix.size() || path.size() > prefix.size() + 9 ||
            path.compare(0, prefix.size(), prefix) != 0) {
            continue;
        }
        int fd = 0;
        for (std::size_t i = prefix.size(); i < path.size(); ++i) {
            if (path[i] < '0' || path[i] > '9') return -1;
            fd = fd * 10 + (path[i] - '0');
        }
        return fd;
    }
    return -1;
}

FileIdentity InputIdentity(const std::string& path) {
    if (path == "-") return IdentityOfDescriptor(0, true);
    const int fd = DescriptorOfName(path);
    return fd >= 0 ? IdentityOfDescriptor(fd, true) : IdentityOf(path);
}

FileIdentity OutputIdentity(const std::string& path) {
    const int fd = path == "-" ? 1 : DescriptorOfName(path);
    return fd >= 0 ? IdentityOfDescriptor(fd, false) : IdentityOf(path);
}

std::FILE* OpenDescriptorForWriting(int fd, int& error) {
    if (StandardStreamClosed(fd)) {
        error = EBADF;
        return nullptr;
    }
    const int copy = fcntl(fd, F_DUPFD_CLOEXEC, 3);
    if (copy < 0) {
        error = errno;
        return nullptr;
    }
    std::FILE* stream = fdopen(copy, "wb");  // no truncation: where the descriptor stands
    if (stream == nullptr) {
        error = errno == EINVAL ? EBADF : errno;  // EINVAL: open for reading only
        close(copy);
    }
    return stream;
}

std::int64_t StandardInputStart() { return Standard().inputStart; }

bool SeekStream(std::FILE* stream, std::int64_t offset) {
    return stream != nullptr && fseeko(stream, static_cast<off_t>(offset), SEEK_SET) == 0;
}

std::FILE* CreateScratchFile(int& error, std::string& folder) {
    const char* variable = getenv("TMPDIR");
    folder = variable && *variable ? variable : "/tmp";
#ifdef O_TMPFILE
    int fd = open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
#else
    int fd = -1;
#endif
    if (fd < 0) {
        InterruptionsDeferred deferred;  // the name lives for a moment only
        std::string pattern = folder + "/bbook2tellurax-XXXXXX";
        fd = mkostemp(&pattern[0], O_CLOEXEC);
        if (fd >= 0) unlink(pattern.c_str());  // gone once closed
    }
    if (fd < 0) {
        error = errno;
        return nullptr;
    }
    std::FILE* stream = fdopen(fd, "w+b");
    if (stream == nullptr) {
        error = errno;
        close(fd);
    }
    return stream;
}

void RemoveTemporariesOnInterrupt() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction old {};
        // An ignored signal (nohup, a background job's SIGINT) stays ignored.
        if (sigaction(signal, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
        sigaction(signal, &action, nullptr);
    }
}

static_assert(sizeof(sigset_t) <= 128, "InterruptionsDeferred keeps a signal mask");

InterruptionsDeferred::InterruptionsDeferred() : m_saved{} {
    const sigset_t set = InterruptSignals();
    sigprocmask(SIG_BLOCK, &set, reinterpret_cast<sigset_t*>(m_saved));
}
InterruptionsDeferred::~InterruptionsDeferred() {
    sigprocmask(SIG_SETMASK, reinterpret_cast<const sigset_t*>(m_saved), nullptr);
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

namespace {

/// Names that are not found are compared by folder and name.
bool SameNameInSameFolder(const std::string& a, const std::string& b) {
    const std::string folderA = FolderOf(WriteTarget(a));
    const std::string folderB = FolderOf(WriteTarget(b));
    return NameOf(WriteTarget(a)) == NameOf(WriteTarget(b)) &&
           IdentityOf(folderA.empty() ? "." : folderA) ==
               IdentityOf(folderB.empty() ? "." : folderB);
}

// --- Files replaced whole (POSIX) ---------------------------------------------------------------

struct TargetInfo {
    bool exists = false;
    bool copyIn = false;
    mode_t mode = 0666;
    uid_t owner = 0;
    gid_t group = 0;
};

/// Whether `target` exists, may be written, and must be copied into (it has other hard links or
/// an access list a new file would not have). 0 or the errno that refuses it.
int ProbeTarget(const std::string& target, TargetInfo& info) {
    struct stat st {};
    if (stat(target.c_str(), &st) != 0) return errno == ENOENT ? 0 : errno;
    if (S_ISDIR(st.st_mode)) return EISDIR;
    // The system's own decision, with the effective user, access lists, read-only mounts and
    // immutable files; nothing is opened, so nothing watching the file sees a change.
    if (faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) return errno;
    info.exists = true;
    info.mode = st.st_mode & 07777;
    info.owner = st.st_uid;
    info.group = st.st_gid;
    info.copyIn = st.st_nlink > 1 ||
                  getxattr(target.c_str(), "system.posix_acl_access", nullptr, 0) >= 0;
    return 0;
}

/// Gives the new file the target's owner, group and permissions; false when they cannot all be
/// kept (a user who is not the owner, or not in the group).
bool KeepOwnerAndMode(int fd, const TargetInfo& info) {
    struct stat mine {};
    if (fstat(fd, &mine) != 0) return false;
    const uid_t owner = mine.st_uid == info.owner ? static_cast<uid_t>(-1) : info.owner;
    const gid_t group = mine.st_gid == info.group ? static_cast<gid_t>(-1) : info.group;
    if ((owner != static_cast<uid_t>(-1) || group != static_cast<gid_t>(-1)) &&
        fchown(fd, owner, group) != 0) {
        return false;
    }
    return fchmod(fd, info.mode) == 0;  // after fchown, which clears set-id bits
}

/// Whether an anonymous file can be given a name later: through /proc/self/fd, or as the
/// superuser by its descriptor.
bool CanLinkAnonymous() {
    static const bool can = access("/proc/self/fd", X_OK) == 0 || geteuid() == 0;
    return can;
}

/// A new file beside the target, open for reading and writing with the target's permissions:
/// anonymous (O_TMPFILE) where the file system allows, else under a temporary `name`.
std::FILE* CreateBeside(const std::string& folder, TargetInfo& info, std::string& name,
                        bool& anonymous, int& error) {
    const mode_t mode = info.exists ? (info.mode & 0777) : 0666;
    int fd = -1;
#ifdef O_TMPFILE
    if (CanLinkAnonymous()) {
        fd = open(folder.empty() ? "." : folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, mode);
    }
#endif
    anonymous = fd >= 0;
    name.clear();
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        name = folder + TemporaryLeaf();
        fd = open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        error = errno;
        name.clear();
        return nullptr;
    }
    if (info.exists && !info.copyIn && !KeepOwnerAndMode(fd, info)) info.copyIn = true;
    std::FILE* stream = fdopen(fd, "w+b");
    if (stream == nullptr) {
        error = errno;
        close(fd);
        if (!name.empty()) unlink(name.c_str());
    }
    return stream;
}

/// Links the complete anonymous file into the target's folder under a temporary `name`.
bool GiveName(std::FILE* stream, const std::string& folder, std::string& name, int& error) {
    const int fd = fileno(stream);
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = folder + TemporaryLeaf();
        if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            return true;
        }
        if (errno == ENOENT && linkat(fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0) {
            return true;
        }
        if (errno != EEXIST) break;
    }
    error = errno;
    name.clear();
    return false;
}

/// Moves `temporary` to `target`, which did not exist: 0, or the errno.
int MoveNew(const std::string& temporary, const std::string& target) {
    return rename(temporary.c_str(), target.c_str()) == 0 ? 0 : errno;
}

/// Replaces `target` by `temporary`, the old file then named `backup`: exchanged in one step
/// where the file system can, else linked aside first (or, without hard links, moved aside).
/// 0, kCopyInstead (a mount point: EBUSY, EXDEV) or the errno; the target is then as it was.
int ReplaceKeepingBackup(const std::string& temporary, const std::string& target,
                         std::string& backup) {
#ifdef RENAME_EXCHANGE
    if (renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) == 0) {
        backup = temporary;
        return 0;
    }
    if (errno == EBUSY || errno == EXDEV) return kCopyInstead;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return errno;
#endif
    backup = FolderOf(target) + TemporaryLeaf();
    const bool linked = link(target.c_str(), backup.c_str()) == 0;
    if (!linked && rename(target.c_str(), backup.c_str()) != 0) {
        return errno == EBUSY || errno == EXDEV ? kCopyInstead : errno;
    }
    if (rename(temporary.c_str(), target.c_str()) == 0) return 0;
    const int error = errno == EBUSY || errno == EXDEV ? kCopyInstead : errno;
    if (linked) unlink(backup.c_str());
    if (!linked) rename(backup.c_str(), target.c_str());
    return error;
}

void PutBack(const std::string& backup, const std::string& target) {
    rename(backup.c_str(), target.c_str());
}

bool Truncate(std::FILE* stream, std::int64_t size) {
    return std::fflush(stream) == 0 && ftruncate(fileno(stream), static_cast<off_t>(size)) == 0;
}

}  // namespace

#endif

bool SameFile(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) return false;
    return IdentityOf(a) == IdentityOf(b);
}

bool SameOutput(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) return false;
    if (a == "-" && b == "-") return true;
    const FileIdentity first = OutputIdentity(a);
    const FileIdentity second = OutputIdentity(b);
    if (first.known || second.known) return first == second;
    // A closed descriptor writes no file; names not found are compared by folder and name.
    if (a == "-" || b == "-" || DescriptorOfName(a) >= 0 || DescriptorOfName(b) >= 0) return false;
    return SameNameInSameFolder(a, b);
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

// --- Files replaced whole: the steps every platform shares ---------------------------------------

std::FILE* ReplacedFile::Begin(const std::string& target, int& error) {
    Discard();
    m_target = target;
    m_folder = FolderOf(target);
    m_created = false;
    TargetInfo info;
    if (const int refused = ProbeTarget(target, info)) {
        error = refused;
        return nullptr;
    }
    InterruptionsDeferred deferred;  // a name made is a name noted
    m_stream = CreateBeside(m_folder, info, m_temporary, m_anonymous, error);
    if (m_stream == nullptr) {
        // A file that may be written in a folder that may not: the result waits in a scratch
        // file and is copied in.
        if (!info.exists || (error != EACCES && error != EPERM)) return nullptr;
        std::string folder;
        m_stream = CreateScratchFile(error, folder);
        if (m_stream == nullptr) return nullptr;
        info.copyIn = true;
        m_anonymous = true;
    }
    if (!m_temporary.empty() && !m_anonymous) m_temporaryNote = NoteTemporaryName(m_temporary);
    m_copyIn = info.copyIn;
    m_stage = Stage::kWriting;
    return m_stream;
}

bool ReplacedFile::Complete(int& error) {
    if (m_stage != Stage::kWriting) {
        error = EINVAL;
        return false;
    }
    errno = 0;
    if (std::fflush(m_stream) != 0 || std::ferror(m_stream)) {
        error = ErrnoOr(EIO);
        return false;
    }
    m_stage = Stage::kComplete;
    if (m_copyIn) return true;  // kept open: Commit copies it in
    InterruptionsDeferred deferred;
    if (m_anonymous) {
        if (!GiveName(m_stream, m_folder, m_temporary, error)) return false;
        m_anonymous = false;
        m_temporaryNote = NoteTemporaryName(m_temporary);
    }
    errno = 0;
    const bool closed = std::fclose(m_stream) == 0;
    m_stream = nullptr;
    if (!closed) error = ErrnoOr(EIO);
    return closed;
}

bool ReplacedFile::Commit(int& error) {
    if (m_stage != Stage::kComplete) {
        error = EINVAL;
        return false;
    }
    InterruptionsDeferred deferred;
    if (m_copyIn) return CopyIn(error);
    // Another job may be replacing the same target: one that comes or goes between the look and
    // the move is looked at again.
    int failure = ENOENT;
    for (int attempt = 0; attempt < 100 && (failure == ENOENT || failure == EEXIST); ++attempt) {
        m_created = !NameExists(m_target);
        failure = m_created ? MoveNew(m_temporary, m_target)
                            : ReplaceKeepingBackup(m_temporary, m_target, m_backup);
    }
    if (failure == kCopyInstead) {
        // A bind mount, say: the complete result is copied into the file instead.
        m_stream = OpenFile(m_temporary, "rb");
        m_copyIn = m_stream != nullptr;
        if (m_copyIn) return CopyIn(error);
    }
    if (failure != 0) {
        m_backup.clear();
        error = failure;
        return false;
    }
    if (m_created) {
        m_backup.clear();
        m_result = IdentityOf(m_target);
    } else if (m_backup == m_temporary) {  // exchanged: the old file has the temporary name
        m_backupNote = m_temporaryNote;
        m_temporaryNote = -1;
    } else {
        m_backupNote = NoteTemporaryName(m_backup);
    }
    ForgetTemporaryName(m_temporaryNote);
    m_temporaryNote = -1;
    m_temporary.clear();
    m_stage = Stage::kCommitted;
    return true;
}

/// Copies the complete result into the existing target, its old contents kept in a scratch
/// copy first so that they can be put back.
bool ReplacedFile::CopyIn(int& error) {
    std::string folder;
    m_backupCopy = CreateScratchFile(error, folder);
    if (m_backupCopy == nullptr) return false;
    std::int64_t size = 0;
    errno = 0;
    std::FILE* target = OpenFile(m_target, "rb");
    const bool kept = target != nullptr && CopyStream(target, m_backupCopy, size);
    if (!kept) error = ErrnoOr(EIO);
    if (target != nullptr) std::fclose(target);
    if (!kept) return false;
    errno = 0;
    target = OpenFile(m_target, "r+b");
    if (target == nullptr) {
        error = ErrnoOr(EACCES);
        return false;
    }
    bool copied = CopyStream(m_stream, target, size) && Truncate(target, size);
    if (!copied) error = ErrnoOr(EIO);
    if (std::fclose(target) != 0 && copied) {
        error = ErrnoOr(EIO);
        copied = false;
    }
    m_stage = Stage::kCommitted;
    if (!copied) Rollback();  // whatever part was written goes
    return copied;
}

void ReplacedFile::Rollback() {
    if (m_stage != Stage::kCommitted) return;
    InterruptionsDeferred deferred;
    if (m_copyIn) {
        std::int64_t size = 0;
        if (std::FILE* target = OpenFile(m_target, "r+b")) {
            if (CopyStream(m_backupCopy, target, size)) Truncate(target, size);
            std::fclose(target);
        }
    } else if (m_created) {
        if (IdentityOf(m_target) == m_result) RemoveFile(m_target);
    } else if (!m_backup.empty()) {
        PutBack(m_backup, m_target);
        ForgetTemporaryName(m_backupNote);
        m_backupNote = -1;
        m_backup.clear();
    }
    Release();
}

void ReplacedFile::Release() {
    DropBackup();
    DropTemporary();
    m_stage = Stage::kIdle;
}

void ReplacedFile::Discard() {
    if (m_stage == Stage::kCommitted) {
        Release();
        return;
    }
    DropTemporary();
    DropBackup();
    m_stage = Stage::kIdle;
}

void ReplacedFile::DropTemporary() {
    if (m_stream != nullptr) std::fclose(m_stream);  // an anonymous file goes with it
    m_stream = nullptr;
    if (!m_temporary.empty() && !m_anonymous) RemoveFile(m_temporary);
    ForgetTemporaryName(m_temporaryNote);
    m_temporaryNote = -1;
    m_temporary.clear();
    m_anonymous = false;
    m_copyIn = false;
}

void ReplacedFile::DropBackup() {
    if (!m_backup.empty()) RemoveFile(m_backup);
    ForgetTemporaryName(m_backupNote);
    m_backupNote = -1;
    m_backup.clear();
    if (m_backupCopy != nullptr) std::fclose(m_backupCopy);
    m_backupCopy = nullptr;
}
