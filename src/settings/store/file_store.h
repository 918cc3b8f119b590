#pragma once
// Whole-file access for the profile files. Implemented per platform (src/platform/*/services).
// Error codes are the platform's own: errno values on POSIX, GetLastError() values on Windows.
//
// What a save promises, and everything below keeps: a save that fails changes neither file; one
// cut off by a crash or a power loss leaves each file whole, old or new, and the next save
// cleans up after it; no byte another program wrote is dropped (a file both torn and changed
// since is kept beside it under KeptCopyName); putting a file back never overwrites another
// instance's save, and two instances take turns, each saving what the other wrote; each file
// stays what it was: its owner, group, permissions, ACL and other extended attributes, links and
// second names (on Windows its security descriptor, attributes and streams).
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace settings::store {

// Profile files are small; anything larger than this is refused (EFBIG / ERROR_FILE_TOO_LARGE)
// rather than read into memory.
inline constexpr unsigned long long kMaxFileBytes = 512ull * 1024 * 1024;

// Reads the whole file, as a save last left it: while another instance saves it, after that
// save (waiting a few seconds, then reading anyway). Where an interrupted rewrite left the file
// torn, changed by another program since or not, its backup's old content is what it reads as;
// a whole file another program changed since is read as it is. A file that does not exist reads
// as empty and is no failure (`exists` is then false). Any other failure (a directory, no
// permission, a file larger than kMaxFileBytes) returns false.
bool ReadWholeFile(const std::string& path, std::string& bytes, bool& exists, int& error);

// A file's replacement in stages, so that several files can all be made ready before any of
// them changes, and put back together when one of them fails.
//  - Open holds the file against other instances' saves (waiting a few seconds for one that is
//    running) and reads what it holds, so that the bytes a save edits are the ones it replaces.
//    A reader that keeps it locked longer delays the save no further: a replacement by rename
//    goes on (other instances are kept out by a turn on the folder), a rewrite in place fails
//    with EBUSY (POSIX; on Windows no reader holds a save up). A rewrite in place that a crash
//    cut off is finished first: the file is put back from its backup, which is then removed;
//    where another program has changed the torn file since, the file as found is first kept
//    beside it (KeptCopyName). A backup that guards nothing is removed. Any of that failing
//    fails Open, before anything a reader would see has changed.
//  - Prepare does everything else that can fail before the file is touched: the new bytes go to
//    a temporary file beside it and are flushed, carrying the file's owner, group, mode and
//    extended attributes (POSIX) so that the rename keeps what the file was. Where that cannot
//    be carried over (a foreign owner, a second hard link, a mount point, an attribute that
//    cannot be copied), the file is to be rewritten in place instead: its old bytes, with a
//    record of the new ones, are flushed to a backup beside it. A temporary file a crashed save
//    left behind is removed here unless another running instance holds it.
//  - Commit renames (or rewrites in place). It fails only where the system refuses at that
//    moment; a rewrite that fails puts the old bytes back, and while that fails too the backup
//    stays, so the file still reads as it was.
//  - Undo, after a Commit, puts the old bytes back (or removes a file the save created), under
//    the hold the stage still has; a file changed since the commit (another file at the name,
//    or other bytes) is left alone.
//  - Abort, or the destructor, ends the stage: it removes what Prepare made and a committed
//    rewrite's backup, and lets other instances in.
// A path that is a symbolic link stays a link; its target is replaced. A file that does not
// exist is created. The file stays held against other instances' saves from Open until the
// stage ends.
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
    bool Undo(int& error);  // after Commit
    void Abort();
    bool IsOpen() const { return m_state != nullptr; }

    struct State;  // the platform's

private:
    std::unique_ptr<State> m_state;
};

// Prepare and Commit of one file.
bool ReplaceWholeFile(const std::string& path, std::string_view bytes, int& error);

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
    kInProgress,      // another instance is saving the file right now
    kGuarding,        // an interrupted rewrite's: the file is torn, and reads as the backup
    kTornAndChanged,  // as kGuarding, and another program changed the file since: the next
                      // save keeps the file as found beside it
    kStale,           // one whose file is whole; the next save removes it
    kUnrecorded,      // an older save's, with nothing to judge the file by: it is what is read
    kUnreadable,      // ours but unreadable: passed over
    kForeign,         // not a file a save of ours made (a link, another user's): never touched
};
struct BackupReport {
    BackupFinding finding = BackupFinding::kNone;
    // False where the backup is ours but this user may not remove it (another player's, in a
    // folder with the sticky bit): every save fails until it is gone.
    bool removable = true;
    std::vector<std::string> keptCopies;  // files as found beside a repair (KeptCopyName)
};
BackupReport FindBackup(const std::string& path);

// Where a torn file that another program changed since is kept before it is repaired: a plain
// name beside it, numbered from the second on. Never a name that starts with StagingPrefix,
// whose files are swept away.
std::string KeptCopyName(std::string_view fileName, int number);
bool IsKeptCopyName(std::string_view fileName, std::string_view name);

// Who made a backup, against the file it lies beside. A backup is trusted only from someone
// who may write the file: its owner, root, a real member of its group (as the system's group
// database says, never the backup's own group, which a setgid folder gives to anyone's file)
// where that group may write it, or we ourselves where we may write it. Nothing else is ever
// read, whatever other-write bits or ACL entries allow.
struct BackupMaker {
    bool regularFile = false;
    unsigned long links = 0;
    unsigned owner = 0;  // the backup's
    bool fileExists = false;
    unsigned fileOwner = 0;
    unsigned fileGroup = 0;
    bool groupMayWrite = false;
    unsigned us = 0;  // the effective user
    bool weMayWrite = false;
};
using GroupMembership = bool (*)(unsigned user, unsigned group);
bool TrustBackup(const BackupMaker& maker, GroupMembership isMember);

// The backup's record: the old bytes, then what judges the file against them and the new bytes
// (the sizes and a hash of each piece of the new content). Portable, so that both platforms and
// the tests read it alike.
std::string BackupWithRecord(std::string_view oldBytes, std::string_view newBytes);
struct BackupContent {
    std::string_view oldBytes;  // the whole backup when it has no record
    bool recorded = false;
    std::uint64_t newSize = 0;
    // Now: the new content is the old one's first `prefix` bytes, `middle`, and its last
    // `suffix` bytes. The first release recorded only a hash of each piece of it.
    bool newKnown = false;
    std::uint64_t prefix = 0;
    std::uint64_t suffix = 0;
    std::string_view middle;
    std::string_view hashes;
};
BackupContent ReadBackupRecord(std::string_view backup);
// A rewrite leaves the file in whole pieces (4 KiB blocks, cut at both contents' ends), each the
// old content's, the new content's or, past the old end, zeros, and the file's size at a cut.
// Anything else is another program's change since: over the old or the new content it is
// kept; over a torn file (pieces of both, or zeros) both are kept (kTornAndChanged).
enum class FileJudgement { kOld, kWholeNew, kTorn, kChanged, kTornAndChanged };
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
