#pragma once
// Whole-file access for the profile files. Implemented per platform (src/platform/*/services).
// Error codes are the platform's own: errno values on POSIX, GetLastError() values on Windows.
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace settings {

// Profile files are small; anything larger than this is refused (EFBIG / ERROR_FILE_TOO_LARGE)
// rather than read into memory.
inline constexpr unsigned long long kMaxFileBytes = 512ull * 1024 * 1024;

// Reads the whole file. A file that does not exist reads as empty and is no failure
// (`exists` is then false). Any other failure (a directory, no permission, a file larger than
// kMaxFileBytes) returns false.
bool ReadWholeFile(const std::string& path, std::string& bytes, bool& exists, int& error);

// A file's replacement in two stages, so that several files can all be made ready before any
// of them changes.
//  - Prepare does everything that can fail before the file is touched: the new bytes go to a
//    temporary file beside it and are flushed, carrying the file's owner, group, mode and
//    extended attributes (POSIX) so that the rename keeps what the file was. Where that cannot
//    be carried over (a foreign owner, a second hard link, a mount point, an attribute that
//    cannot be copied), the file is to be rewritten in place instead: it is locked and its old
//    bytes are flushed to a backup beside it. A temporary file a crashed save left behind is
//    removed here unless another running instance holds it.
//  - Commit renames (or rewrites in place, then removes the backup). It fails only where the
//    system refuses at that moment; the file is then as it was.
//  - Abort, or the destructor of an uncommitted stage, removes what Prepare made.
// A path that is a symbolic link stays a link; its target is replaced. A file that does not
// exist is created. The file stays locked against other instances' saves from Prepare on.
class StagedFile {
public:
    StagedFile();
    ~StagedFile();
    StagedFile(StagedFile&&) noexcept;
    StagedFile& operator=(StagedFile&&) noexcept;

    bool Prepare(const std::string& path, std::string_view bytes, int& error);
    bool Commit(int& error);
    void Abort();
    // Whether Prepare chose to rewrite the file in place.
    bool InPlace() const;

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

// Test seam: each step of a stage asks it first; a non-zero answer is that step's failure code.
// A failed ownership or attribute step sends the file down the in-place path; the others fail
// the stage.
enum class StoreStep { kWrite, kFlush, kOwnership, kAttributes, kRename, kRewrite };
using StoreFault = std::function<int(StoreStep step, const std::string& target)>;
void SetStoreFault(StoreFault fault);  // an empty function: no faults
int StoreFaultAt(StoreStep step, const std::string& target);

// Creates the folder and any missing folder above it; one that exists already is no failure.
bool CreateFolders(const std::string& folder, int& error);

// Whether a failure's code says access was denied (ERROR_ACCESS_DENIED; EACCES or EPERM).
bool IsAccessDenied(int error);

// The calling thread's last platform error code (errno or GetLastError), and a way to set it so
// that a failure reported by the store can be shown with its code.
int LastErrorCode();
void SetLastErrorCode(int code);

}  // namespace settings
