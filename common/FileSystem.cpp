#include "common/FileSystem.h"

#include <cerrno>
#include <cstring>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <vector>

#include "common/Utf.h"
#else
#include <sys/stat.h>
#endif

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
    return _wfopen(SystemPath(path).c_str(), Wide(mode).c_str());
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

#endif

bool SameFile(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) return false;
    return IdentityOf(a) == IdentityOf(b);
}

std::string SystemErrorText(int error) {
    // strerror in the "C" locale: the program never sets another.
    const char* text = std::strerror(error);
    return text ? text : "unknown error";
}
