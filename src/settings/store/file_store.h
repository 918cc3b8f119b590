#pragma once
// Whole-file access for the profile files. Implemented per platform (src/platform/*/services).
// Error codes are the platform's own: errno values on POSIX, GetLastError() values on Windows.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace settings::store {

// Profile files are small; anything larger than this is refused (EFBIG / ERROR_FILE_TOO_LARGE)
// rather than read into memory.
inline constexpr unsigned long long kMaxFileBytes = 512ull * 1024 * 1024;

// Reads the whole file, as a save last left it: while another instance saves it, after that
// save (waiting a few seconds, then reading anyway). Where an interrupted rewrite left the file
// torn, its backup's old content is what it reads as. A file that does not exist reads as empty
// and is no failure (`exists` is then false). Any other failure (a directory, no permission, a
// file larger than kMaxFileBytes) returns false.
bool ReadWholeFile(const std::string& path, std::string& bytes, bool& exists, int& error);

// A file's replacement in stages, so that several files can all be made ready before any of
// them changes.
//  - Open locks the file against other instances' saves (waiting a few seconds for one that is
//    running) and reads what it holds, so that the bytes a save edits are the ones it replaces.
//    A rewrite in place that a crash cut off is finished first: the file is put back from its
//    backup, which is then removed; a backup that guards nothing is removed. Either failing
//    fails Open, before anything a reader would see has changed.
//  - Prepare does everything else that can fail before the file is touched: the new bytes go to
//    a temporary file beside it and are flushed, carrying the file's owner, group, mode and
//    extended attributes (POSIX) so that the rename keeps what the file was. Where that cannot
//    be carried over (a foreign owner, a second hard link, a mount point, an attribute that
//    cannot be copied), the file is to be rewritten in place instead: its old bytes, with a
//    record of the new ones, are flushed to a backup beside it. A temporary file a crashed save
//    left behind is removed here unless another running instance holds it.
//  - Commit renames (or rewrites in place, then removes the backup). It fails only where the
//    system refuses at that moment; a rewrite that fails puts the old bytes back, and while
//    that fails too the backup stays, so the file still reads as it was.
//  - Abort, or the destructor of an uncommitted stage, removes what Prepare made.
// A path that is a symbolic link stays a link; its target is replaced. A file that does not
// exist is created. The file stays locked against other instances' saves from Open on.
class StagedFile {
public:
    StagedFile();
    ~StagedFile();
    StagedFile(StagedFile&&) noexcept;
    StagedFile& operator=(StagedFile&&) noexcept;

    // `exists` is false for a file that is not there yet (then `bytes` is empty).
    bool Open(const std::string& path, std::string& bytes, bool& exists, int& error);
    bool Prepare(std::string_view bytes, int& error);                           // after Open
    bool Prepare(const std::string& path, std::string_view bytes, int& error);  // Open first
    bool Commit(int& error);
    void Abort();
    bool IsOpen() const { return m_state != nullptr; }

    struct State;  // the platform's

private:
    std::unique_ptr<State> m_state;
};

// Prepare and Commit of one file.
bool ReplaceWholeFile(const std::string& path, std::string_view bytes, int& error);

// Removes a file (a save's undo of a file it created). A file that is not there is no failure.
bool RemoveFile(const std::string& path, int& error);

// While one lives, a save is in progress: a request to end the program (SIGTERM, SIGINT,
// SIGHUP) waits until the last one ends, and then ends the program as it asked; a file-size
// limit makes writes fail with EFBIG instead of killing the program. Nothing on Windows, where a
// save runs on the window's thread and no message can interrupt it.
class SaveInProgress {
public:
    SaveInProgress();
    ~SaveInProgress();
    SaveInProgress(const SaveInProgress&) = delete;
    SaveInProgress& operator=(const SaveInProgress&) = delete;
};

// The names of the temporary and backup files beside a file all start with this prefix, a
// short one whatever the length of the file's own name, so that they fit wherever it fits.
std::string StagingPrefix(std::string_view fileName);
std::string BackupName(std::string_view fileName);

// What lies at a file's backup name, for telling the player; none of these stops Load.
enum class BackupFinding {
    kNone,
    kGuarding,    // an interrupted rewrite's: the file is torn, and reads as the backup
    kStale,       // one whose file is whole again; the next save removes it
    kUnrecorded,  // an older save's, with nothing to judge the file by: it is what is read
    kUnreadable,  // ours but unreadable: passed over
    kForeign,     // not a file a save of ours made (a link, another user's): never touched
};
BackupFinding FindBackup(const std::string& path);

// The backup's record: the old bytes, then what judges the file against them and the new bytes
// (the sizes and a hash of each piece of the new content). Portable, so that both platforms and
// the tests read it alike.
std::string BackupWithRecord(std::string_view oldBytes, std::string_view newBytes);
struct BackupContent {
    std::string_view oldBytes;  // the whole backup when it has no record
    bool recorded = false;
    std::uint64_t newSize = 0;
    std::string_view hashes;
};
BackupContent ReadBackupRecord(std::string_view backup);
enum class FileJudgement { kTorn, kWholeNew, kOther };
// A torn rewrite holds, in each piece, the old content's bytes or the new content's, and
// anything past the old content's end; it is no longer than the longer of the two.
FileJudgement JudgeAgainstBackup(std::string_view file, const BackupContent& backup);

// Creates the folder and any missing folder above it; one that exists already is no failure.
bool CreateFolders(const std::string& folder, int& error);

// Whether a failure's code says access was denied (ERROR_ACCESS_DENIED; EACCES or EPERM).
bool IsAccessDenied(int error);

// The calling thread's last platform error code (errno or GetLastError), and a way to set it so
// that a failure reported by the store can be shown with its code.
int LastErrorCode();
void SetLastErrorCode(int code);

}  // namespace settings::store
