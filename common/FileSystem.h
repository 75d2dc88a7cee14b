// The file-system operations of the conversion, for UTF-8 names on every platform: the only
// place that opens, renames, compares or queries files. On Windows each goes through the wide
// (UTF-16) calls, with paths of 260 characters and more in their "\\?\" form; elsewhere the
// name's bytes are used as they are (Linux names need not be UTF-8). None of them throws.
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
    bool deviceKnown = true;  // false: a file number alone (a Windows handle whose volume the
                              // system cannot tell), which matches that number on any device
    std::uint64_t device = 0;
    std::uint64_t file = 0;

    bool operator==(const FileIdentity& other) const {
        return known && other.known && file == other.file &&
               (device == other.device || !deviceKnown || !other.deviceKnown);
    }
};

/// The identity of the file `path` names (through symbolic links).
FileIdentity IdentityOf(const std::string& path);

/// True when both names are found and are the same file.
bool SameFile(const std::string& a, const std::string& b);

/// The system's own text for an error number (errno), for "... : Permission denied".
std::string SystemErrorText(int error);

/// What a name is, following symbolic links.
enum class FileKind { kMissing, kRegular, kDirectory, kOther /* device, pipe, socket */ };
FileKind KindOf(const std::string& path);

/// Where a file written to `path` lands: the file a symbolic link points to (through every
/// link, even when that file does not exist yet), else `path` itself.
std::string WriteTarget(const std::string& path);

// --- Standard streams and descriptors -----------------------------------------------------------

/// At program start: notes which of the standard descriptors 0, 1 and 2 are closed and (POSIX)
/// opens the null device in their place, so that no file the program opens takes their number;
/// notes the offset standard input stands at. Without it these are looked at when first needed.
void SetUpStandardStreams();

/// True when the standard descriptor `fd` (0, 1 or 2) was closed at start.
bool StandardStreamClosed(int fd);

/// The descriptor a name stands for: "/dev/stdin" 0, "/dev/stdout" 1, "/dev/stderr" 2,
/// "/dev/fd/N" and "/proc/self/fd/N" N; -1 for any other name (always on Windows).
int DescriptorOfName(const std::string& path);

/// The identity of what an input name reads, when it is a regular file: "-" is standard input
/// (as it was at start). Unknown for a pipe, a device, a closed descriptor or a missing name.
FileIdentity InputIdentity(const std::string& path);

/// The identity of what an output name writes: "-" is standard output, a descriptor name the
/// file that descriptor holds, any other name the file it names. Unknown when closed or missing.
FileIdentity OutputIdentity(const std::string& path);

/// True when two output names write the same file: both "-", equal identities, or (neither
/// found) the same name in the same folder, by the file system's rules for letter case.
bool SameOutput(const std::string& a, const std::string& b);

/// A stream that writes through a copy of descriptor `fd`, where that descriptor stands (its
/// offset and append mode kept). Null with `error` EBADF when the descriptor is closed.
std::FILE* OpenDescriptorForWriting(int fd, int& error);

/// Standard input's offset at start, in bytes (0 when it is no regular file): where every read
/// of it begins, so that a file partly read before the program ran is read from there.
std::int64_t StandardInputStart();

/// Moves a stream to `offset` bytes from the start of its file (64-bit offsets everywhere).
bool SeekStream(std::FILE* stream, std::int64_t offset);

// --- Scratch files and interruptions ------------------------------------------------------------

/// A new file of the system's temporary folder (TMPDIR, TEMP), open for reading and writing in
/// binary, that goes away when it is closed. Null when it cannot, with `error` set; `folder`
/// names the folder it was to be made in, for the message.
std::FILE* CreateScratchFile(int& error, std::string& folder);

/// Removes the names noted below when the program is interrupted (SIGINT, SIGTERM, SIGHUP;
/// Windows: Ctrl-C, Ctrl-Break and closing the console), then lets the interruption end it.
void RemoveTemporariesOnInterrupt();

/// Notes the name of a temporary file of this program, removed should it be interrupted.
/// Returns the note to forget it by (-1 when every note is taken).
int NoteTemporaryName(const std::string& path);
void ForgetTemporaryName(int note);

/// While one lives, an interruption waits: files are put in place or back without one.
class InterruptionsDeferred {
public:
    InterruptionsDeferred();
    ~InterruptionsDeferred();
    InterruptionsDeferred(const InterruptionsDeferred&) = delete;
    InterruptionsDeferred& operator=(const InterruptionsDeferred&) = delete;

private:
    unsigned char m_saved[128];  // the signal mask to restore (POSIX)
};

// --- Files replaced whole -------------------------------------------------------------------------

/// A regular file, new or replaced, written whole or not at all. Begin checks the target and
/// makes the temporary file the result is written to: on Linux an anonymous one (O_TMPFILE)
/// where the file system allows, else a hidden one of a short fixed-length name beside the
/// target (".bb" and 8 letters or digits, ".tmp"), created with the target's permissions (and,
/// for the superuser, its owner and group). Complete gives the finished temporary file its name;
/// Commit puts it in place of the target, keeping the old file aside until Release (or putting
/// it back on Rollback).
///
/// Where renaming would change what the target is (it has other hard links, its owner or group
/// cannot be given to a new file, it cannot be renamed over as a bind mount, or its folder may
/// not be written while the file may), the complete result is copied into the existing file
/// instead, and the old contents are kept in a scratch copy until Release.
class ReplacedFile {
public:
    ReplacedFile() = default;
    ~ReplacedFile() { Discard(); }
    ReplacedFile(const ReplacedFile&) = delete;
    ReplacedFile& operator=(const ReplacedFile&) = delete;

    /// Prepares writing `target` (a regular file, or a name not taken yet; no link). Refuses a
    /// target the user may not write (EACCES, EROFS ...) before anything is written. Returns the
    /// stream to write, unbuffered; null with `error` (errno) when it cannot.
    std::FILE* Begin(const std::string& target, int& error);
    /// Flushes and closes the stream and names the complete result. False with `error`.
    bool Complete(int& error);
    /// Puts the complete result in place of the target. False with `error`: the target is then
    /// as it was.
    bool Commit(int& error);
    /// After Commit: puts the old file back (removes a target that did not exist).
    void Rollback();
    /// After Commit: lets the old file go.
    void Release();
    /// Closes and removes whatever is not committed; after Commit, releases.
    void Discard();

private:
    enum class Stage { kIdle, kWriting, kComplete, kCommitted };

    bool CopyIn(int& error);
    void DropTemporary();
    void DropBackup();

    Stage m_stage = Stage::kIdle;
    std::string m_target;
    std::string m_folder;              // of the target, with its separator ("" for a bare name)
    std::FILE* m_stream = nullptr;     // the temporary file: written, then copied from
    std::string m_temporary;           // its name; empty while it has none
    int m_temporaryNote = -1;
    bool m_anonymous = false;          // it goes away when closed (O_TMPFILE, delete pending)
    bool m_copyIn = false;             // the result is copied into the existing target
    bool m_created = false;            // the target did not exist before Commit
    FileIdentity m_result;             // the new target, when it was created
    std::string m_backup;              // the old file's name after a rename
    int m_backupNote = -1;
    std::FILE* m_backupCopy = nullptr;  // the old contents, for a result copied in
};

// --- Inputs ---------------------------------------------------------------------------------------

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
